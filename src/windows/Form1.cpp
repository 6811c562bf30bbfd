#include "windows/Form1.h"

#include "core/ArtistSongs.h"
#include "core/Drives.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"
#include "core/MoveReport.h"
#include "core/Passes.h"
#include "core/UndoPass.h"
#include "widgets/FolderWatch.h"
#include "widgets/Layout.h"
#include "widgets/MessageBox.h"
#include "widgets/VolumeSource.h"
#include "widgets/WrappingButton.h"
#include "windows/Caut.h"
#include "windows/Form2.h"
#include "windows/Help.h"
#include "windows/OperationRunner.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;
using arvelo::place;
using arvelo::twipsRect;

namespace {

constexpr int OperationTickMs = 100;

QCheckBox *option(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *box = place<QCheckBox>(parent, name, caption, geometry);
    box->setChecked(true);
    // Fonts here run wider than the layout's; let the caption show in full, short of the
    // artist frame that starts at 2520 twips.
    const int room = arvelo::twips(2520 - 60) - geometry.left();
    box->resize(std::clamp(box->sizeHint().width(), geometry.width(), room), geometry.height());
    return box;
}

QString unreadableFolderMessage(const QString &folder)
{
    return u"The folder \"%1\" could not be read."_s.arg(arvelo::displayName(folder));
}

// A scan or a move starts at the first tick after the click, once the progress window is drawn.
QTimer *operationTimer(QObject *parent, const char *name)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1StringView(name));
    timer->setInterval(OperationTickMs);
    timer->setSingleShot(true);
    return timer;
}

// A screen reader names a control after the frame around it, without the " :" shown on screen.
void nameAfterFrame(QWidget *control, const QGroupBox *frame)
{
    QString name = frame->title();
    if (name.endsWith(u" :"_s))
        name.chop(2);
    control->setAccessibleName(name);
}

// The one local folder that a drop carries, if that is all it carries.
std::optional<QString> droppedFolder(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    const QUrl url = urls.size() == 1 ? urls.first() : QUrl();
    if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == u"localhost"_s))
        return std::nullopt;
    // The path's own bytes, as the file manager sent them, whether or not they are UTF-8.
    const QString folder = arvelo::absoluteClean(arvelo::decodeName(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    return arvelo::isReadableFolder(folder) ? std::optional(folder) : std::nullopt;
}

} // namespace

Form1::Form1(const QString &startFolder)
    : AppWindow(arvelo::fixedWindowFlags(true), u"Form1"_s, u"Arvelo"_s, u"arvelo"_s)
{
    // The layout was drawn for a small 8-point sans serif; the system's own, at that size,
    // keeps every caption inside its control.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(arvelo::twipsSize(8175, 6225));
    createControls();
    m_runner = new OperationRunner(this);
    m_folderWatch = new arvelo::FolderWatch(this);
    setAcceptDrops(true);

    // Start on the folder given, as the three choosers would on their own. The handlers are not
    // wired yet, so the folder list is not sent to the drive's root first; the file list is
    // told here. A folder on an unreadable drive starts with empty lists and lets the user choose.
    Drive1->setDrive(startFolder);
    if (Dir1->setPath(startFolder))
        Dir1_Change();
    // Said before the window shows, so the user knows which folder a scan would sort.
    if (const QString start = arvelo::absoluteClean(startFolder); !arvelo::isReadableFolder(start))
        m_unreadableStart = start;
    wireEvents();
}

Form1::~Form1()
{
    // Work under way ends before the lists it reports to: a move after the file at hand.
    m_runner->stop();
}

void Form1::Form_Load()
{
    if (!m_unreadableStart.isEmpty())
        arvelo::showMessage(unreadableFolderMessage(m_unreadableStart));
}

QString Form1::FCnv(const QString &Imputs) const
{
    return arvelo::artistKey(Imputs, keyOptions());
}

arvelo::KeyOptions Form1::keyOptions() const
{
    return {.overlookSpaces = Check1->isChecked(), .convertToUppercase = Check2->isChecked()};
}

void Form1::createControls()
{
    Frame1
        = place<QGroupBox>(this, "Frame1", u"Select folder :"_s, twipsRect(120, 120, 3015, 3015));
    Dir1 = place(new arvelo::FolderList(Frame1), "Dir1", twipsRect(120, 240, 2775, 2565));
    Timer2 = operationTimer(Frame1, "Timer2");

    Frame2 = place<QGroupBox>(
        this, "Frame2", u"Files in selected folder :"_s, twipsRect(3240, 120, 4815, 3015));
    File1 = place(new arvelo::FileList(Frame2), "File1", twipsRect(120, 240, 4575, 2625));

    Frame3 = place<QGroupBox>(this, "Frame3", u"Select Drive :"_s, twipsRect(120, 3240, 2175, 735));
    Drive1 = place(new arvelo::DriveList(Frame3), "Drive1", twipsRect(120, 240, 1935, 315));

    Frame4 = place<QGroupBox>(this, "Frame4", u"Artists :"_s, twipsRect(2520, 3240, 2415, 2895));
    List1 = place(new arvelo::SortedListBox(Frame4), "List1", twipsRect(120, 240, 2175, 2595));

    Frame5 = place<QGroupBox>(
        this, "Frame5", u"Selected artist's songs :"_s, twipsRect(5040, 3240, 3015, 2895));
    List2 = place(new arvelo::SortedListBox(Frame5), "List2", twipsRect(120, 240, 2775, 2595));
    // The scan's work list: never shown, never focused.
    List3 = place(new arvelo::SortedListBox(Frame5), "List3", twipsRect(1440, 360, 1335, 645));
    List3->setVisible(false);
    List3->setFocusPolicy(Qt::NoFocus);

    Command1 = place<QPushButton>(this, "Command1", u"Scan"_s, twipsRect(120, 4080, 1095, 255));
    Command4 = place<QPushButton>(this, "Command4", u"Help"_s, twipsRect(1200, 4080, 1095, 255));
    Command2 = place<QPushButton>(
        this, "Command2", u"Remove artist from list"_s, twipsRect(120, 4320, 2175, 255));
    // The long caption fits this button only on two lines.
    Command3 = place<arvelo::WrappingButton>(this, "Command3",
        u"Move files to folders named after the artist"_s, twipsRect(120, 4560, 2175, 495));

    Check1 = option(this, "Check1", u"Overlook spaces"_s, twipsRect(240, 5160, 1575, 255));
    Check2 = option(this, "Check2", u"Convert to Upercase"_s, twipsRect(240, 5400, 1815, 255));
    Check3 = option(this, "Check3", u"Beautify folder names"_s, twipsRect(240, 5640, 1815, 195));
    Check4 = option(this, "Check4", u"Scan folders names"_s, twipsRect(240, 5880, 1695, 195));

    Timer1 = operationTimer(this, "Timer1");

    Command3->setToolTip(u"Moves the listed artists' files into their folders; Ctrl+Z moves "
                         u"them back."_s);

    // Keyboard order: the song list first, then the choosers, the artists, buttons, options.
    const QList<QWidget *> order {List2, Dir1, File1, Drive1, List1, Command1, Command4, Command2,
        Command3, Check1, Check2, Check3, Check4};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));

    // What a screen reader says for the lists, and what the options change.
    nameAfterFrame(Dir1, Frame1);
    nameAfterFrame(File1, Frame2);
    // On Linux a drop-down's name is the item it shows, and its label the frame around it;
    // elsewhere this name counts. Its list is named either way.
    nameAfterFrame(Drive1, Frame3);
    nameAfterFrame(Drive1->view(), Frame3);
    nameAfterFrame(List1, Frame4);
    nameAfterFrame(List2, Frame5);
    Check1->setToolTip(u"Blanks do not count when artists are compared."_s);
    Check2->setToolTip(u"Letter case does not count when artists are compared."_s);
    Check3->setToolTip(u"New artist folders get the tidy form of the name, such as "
                       u"\"Lorin Ve Castu\", instead of the first song's spelling."_s);
    Check4->setToolTip(
        u"Folders already here count as artists too, and their songs are moved into them."_s);
}

void Form1::wireEvents()
{
    connect(Drive1, &arvelo::DriveList::Change, this, &Form1::Drive1_Change);
    connect(Dir1, &arvelo::FolderList::Change, this, &Form1::Dir1_Change);
    connect(
        Command1, &QPushButton::clicked, this, [this] { startOperation(Caut::slot(), Timer1); });
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(List1, &arvelo::SortedListBox::Click, this, &Form1::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    // No owner: the main window stays usable beside the help window.
    connect(Command4, &QPushButton::clicked, this, [] { Help::slot().show(); });
    connect(
        Command3, &QPushButton::clicked, this, [this] { startOperation(Form2::slot(), Timer2); });
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(m_runner, &OperationRunner::passProgress, this, &Form1::showMoveProgress);
    connect(m_folderWatch, &arvelo::FolderWatch::changed, this, &Form1::rereadLists);
    // Delete strikes the selected artist, as "Remove artist from list" does.
    auto *remove = new QShortcut(Qt::Key_Delete, List1, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &Form1::Command2_Click);
    connect(
        new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, &Form1::undoLastMove);
}

void Form1::standAside()
{
    m_busy = true;
    // The lists stay as the scan or move found them; changes meanwhile are read once after.
    m_folderWatch->hold();
    hideInPlace();
}

void Form1::comeBack()
{
    // Where the user left it, with the keyboard, not wherever the window manager likes.
    showInPlace();
    m_busy = false;
    m_folderWatch->release();
}

void Form1::rereadLists()
{
    m_folderWatch->settle();
    // A folder gone meanwhile gives way to its parent, and File1 follows through Dir1_Change.
    const QString shown = Dir1->Path();
    Dir1->reread();
    if (Dir1->Path() == shown) {
        File1->reread();
    } else {
        // The artists and songs came from the folder that went: no scan of it applies here.
        List1->Clear();
        List2->Clear();
        List3->Clear();
    }
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    // Refused at once, so the cursor tells the user before the drop.
    if (!m_busy && droppedFolder(event->mimeData()))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const std::optional<QString> folder = droppedFolder(event->mimeData());
    if (m_busy || !folder)
        return;
    event->acceptProposedAction();
    // Straight to the folder, as at start, not by way of its drive's root.
    const QSignalBlocker quiet(Drive1);
    Drive1->setDrive(*folder);
    if (!Dir1->setPath(*folder)) {
        Drive1->setDrive(Dir1->Path());
        arvelo::showMessage(unreadableFolderMessage(*folder));
    }
}

void Form1::Drive1_Change()
{
    if (Dir1->setPath(Drive1->Drive()))
        return;
    arvelo::showMessage(arvelo::driveNotAvailableMessage());
    // Back to the drive of the folder still shown, which runs this handler once more. When
    // that drive fails too, the lists stay where they are instead of trying again.
    if (!m_restoringDrive) {
        const QScopedValueRollback restoring(m_restoringDrive, true);
        Drive1->setDrive(Dir1->Path());
    }
}

void Form1::Dir1_Change()
{
    File1->setPath(Dir1->Path());
    m_folderWatch->watch(File1->Path());
}

template<typename Progress>
void Form1::startOperation(arvelo::WindowSlot<Progress> &progress, QTimer *timer)
{
    if (m_busy)
        return;
    standAside();
    progress.show();
    timer->start();
}

void Form1::Timer1_Timer()
{
    List1->Clear();
    List3->Clear();
    // Opened on the worker: a folder on a disk that hangs keeps only the worker waiting.
    m_runner->ask([this, folder = File1->Path(), listed = File1->folderId(), files = File1->items(),
                      withSubFolders = Check4->isChecked(), options = keyOptions()] {
        const arvelo::ListedFolder opened(folder, listed);
        return [this, outcome = arvelo::scanFolder(opened, files, withSubFolders, options),
                   changed = opened.changed()] { endScan(outcome, changed); };
    });
}

void Form1::endScan(const std::optional<arvelo::ScanOutcome> &outcome, bool folderChanged)
{
    if (outcome) {
        List3->setItemsInOrder(outcome->workList);
        List1->setItemsInOrder(outcome->artists);
    }
    Caut::slot().unload();
    comeBack();
    // A vanished folder ends this scan, not the program.
    if (!outcome) {
        arvelo::showMessage(folderChanged ? arvelo::folderChangedMessage(File1->Path())
                                          : unreadableFolderMessage(File1->Path()));
    }
}

void Form1::List1_Click()
{
    const int selected = List1->ListIndex();
    List2->setItemsInOrder(
        selected < 0 ? QStringList() : arvelo::songList(File1->items(), List1->List(selected)));
}

void Form1::Command2_Click()
{
    // Nothing selected means nothing to remove.
    const int selected = List1->ListIndex();
    if (selected >= 0)
        List1->RemoveItem(selected);
}

void Form1::Timer2_Timer()
{
    // Works from the listing as it stands; a file that has gone since simply stays unmoved. The
    // folder must be the one listed, though, or the listing says nothing about it.
    runPass(
        [folder = File1->Path(), listed = File1->folderId(),
            order = arvelo::MoveOrder {List1->items(), File1->items(), Check3->isChecked()}] {
            return arvelo::journaledMove(arvelo::ListedFolder(folder, listed), order);
        },
        true);
}

void Form1::runPass(std::function<arvelo::OpenedPass()> open, bool canUndo)
{
    m_moveClock.start();
    m_runner->startPass(
        std::move(open),
        [this, canUndo](const arvelo::MoveSummary &summary) { endMove(summary, canUndo); },
        [this](const QString &refusal) {
            // The pass could not start: the progress window goes, and the user is told why.
            Form2::slot().unload();
            comeBack();
            arvelo::showMessage(refusal);
        });
}

void Form1::showMoveProgress(qsizetype handled, qsizetype total)
{
    if (m_moveClock.elapsed() <= arvelo::ProgressAfterMs)
        return;
    if (Form2 *progress = Form2::slot().get())
        progress->showProgress(handled, total);
}

void Form1::endMove(const arvelo::MoveSummary &summary, bool canUndo)
{
    Form2::slot().unload();
    comeBack();
    // The folder has changed under the lists: show what is there now, behind the report. The
    // artist list is the user's work and stays as it is.
    rereadLists();
    // Told in full once the window that said to be patient is gone; a clean move says nothing.
    const QString report = arvelo::moveReport(summary);
    if (report.isEmpty())
        return;
    arvelo::showMessage(
        canUndo && summary.moved > 0 ? report + u"\n\nPress Ctrl+Z to move them back."_s : report);
}

void Form1::undoLastMove()
{
    if (m_busy)
        return;
    // The journals and the files they name are looked at on the worker: a sleeping disk keeps
    // only the worker waiting. Meanwhile nothing else starts.
    m_busy = true;
    const QString folder = File1->Path();
    m_runner->ask([this, folder]() -> std::function<void()> {
        const auto refuse = [this](const QString &why) -> std::function<void()> {
            return [this, why] {
                m_busy = false;
                arvelo::showMessage(why);
            };
        };
        if (const auto problem = arvelo::stateFolderProblem(arvelo::journalFolder()))
            return refuse(*problem);
        const std::unique_ptr<arvelo::UndoPass> preview = arvelo::nextUndo(folder, true);
        if (preview->folderError() != 0)
            return refuse(unreadableFolderMessage(folder));
        const arvelo::MoveSummary &back = preview->summary();
        return [this, folder, found = preview->found(), files = back.moved + back.stayed.size(),
                   passedOver = preview->passedOver()] {
            m_busy = false;
            askToUndo(folder, found, files, passedOver);
        };
    });
}

void Form1::askToUndo(
    const QString &folder, bool found, qsizetype files, const QStringList &passedOver)
{
    const QString shown = arvelo::displayName(folder);
    if (!found) {
        arvelo::showMessage(u"There is no move to undo in \"%1\"."_s.arg(shown));
        return;
    }
    if (!arvelo::askYesNo(
            u"Move the %1 files of the last move back into \"%2\"?"_s.arg(files).arg(shown)))
        return;
    standAside();
    Form2::slot().show();
    runPass(
        // The pass the question was about: those with nothing left are passed over again.
        [folder, passedOver] {
            auto undo = std::make_unique<arvelo::UndoPass>(
                arvelo::ListedFolder(folder, std::nullopt), false, arvelo::PassTell(),
                arvelo::journalFolder(), arvelo::MoveSyscalls::system(), passedOver);
            if (undo->busy())
                return arvelo::OpenedPass {nullptr, arvelo::folderBusyMessage(folder)};
            return arvelo::OpenedPass {std::move(undo)};
        },
        false);
}
