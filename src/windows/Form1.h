#pragma once

#include "core/ArtistName.h"
#include "core/ArtistScan.h"
// The start folder is given byte for byte: currentFolder() comes with the window.
#include "core/NameCodec.h"
#include "widgets/AppWindow.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/FolderList.h"
#include "widgets/SortedListBox.h"
#include "widgets/WindowSlot.h"

#include <QElapsedTimer>

#include <functional>
#include <optional>

namespace arvelo {
class FolderWatch;
struct MoveSummary;
struct OpenedPass;
} // namespace arvelo

class OperationRunner;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QTimer;

// The main window. Its controls are the program's whole state.
class Form1 : public arvelo::AppWindow, public arvelo::SingleWindow<Form1>
{
    Q_OBJECT
public:
    // The drive, folder and file lists start on startFolder.
    explicit Form1(const QString &startFolder);
    ~Form1() override;

    // Tells the user, before the window first shows, that the start folder could not be read.
    void Form_Load() override;

    // The artist key of a name under the options as they stand now.
    QString FCnv(const QString &Imputs) const;

    // From a Scan or Move click until the main window is back. Meanwhile the lists are the
    // input of the work under way: nothing else may change them (not even a re-read of the
    // folder), and no second scan or move starts.
    bool isBusy() const { return m_busy; }

    QGroupBox *Frame1 = nullptr;
    arvelo::FolderList *Dir1 = nullptr;
    QTimer *Timer2 = nullptr;
    QGroupBox *Frame2 = nullptr;
    arvelo::FileList *File1 = nullptr;
    QGroupBox *Frame3 = nullptr;
    arvelo::DriveList *Drive1 = nullptr;
    QGroupBox *Frame4 = nullptr;
    arvelo::SortedListBox *List1 = nullptr;
    QGroupBox *Frame5 = nullptr;
    arvelo::SortedListBox *List2 = nullptr;
    arvelo::SortedListBox *List3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check4 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    // A folder dropped from a file manager is shown as if the program had been started on it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void wireEvents();
    // Shows what is in the folder now, keeping each list's selection by name.
    void rereadLists();
    arvelo::KeyOptions keyOptions() const;
    // The main window steps aside while a progress window stands in for it, and comes back.
    void standAside();
    void comeBack();
    // Scan and Move: unless the lists are in use, the progress window stands in for this one,
    // and the work starts at the timer's first tick.
    template<typename Progress>
    void startOperation(arvelo::WindowSlot<Progress> &progress, QTimer *timer);
    // Runs a move or an undo on the worker; the progress window, shown already, goes at its end.
    void runPass(std::function<arvelo::OpenedPass()> open, bool canUndo);
    void endScan(const std::optional<arvelo::ScanOutcome> &outcome, bool folderChanged);
    void showMoveProgress(qsizetype handled, qsizetype total);
    // Tells the user which files stayed where they were, if any did; after a move that moved
    // something, that Ctrl+Z takes it back.
    void endMove(const arvelo::MoveSummary &summary, bool canUndo);
    // Ctrl+Z: counts on the worker what the folder's last move has, asks, then takes it back
    // the way a move runs.
    void undoLastMove();
    void askToUndo(
        const QString &folder, bool found, qsizetype files, const QStringList &passedOver);

    // Event handlers.
    void Drive1_Change();
    void Dir1_Change();
    void Timer1_Timer();
    void List1_Click();
    void Command2_Click();
    void Timer2_Timer();

    // Set while Drive1_Change puts the drive back, so a restore that fails too ends there.
    bool m_restoringDrive = false;
    bool m_busy = false;
    // Runs the scan and the move off this thread, so the windows keep painting whatever the
    // disk does.
    OperationRunner *m_runner = nullptr;
    QElapsedTimer m_moveClock;
    // The start folder, when it could not be read and a parent is shown instead.
    QString m_unreadableStart;
    // Changes other programs make to the folder shown; held while a scan or move runs.
    arvelo::FolderWatch *m_folderWatch = nullptr;
};
