#pragma once

#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>

namespace arvelo {

class FolderAccess;
class Journal;

// Moves the files of `folder` into one sub-folder per artist entry. A file belongs to an entry
// when the beautified artist part of its name equals the entry. The entry's folder is named at
// its first file, in file order: the beautified artist part when beautifyFolderNames is set,
// else the artist part as written less its leading blanks; trailing blanks never count. An
// existing entry of that name (or of that name in another case) is used, else the folder is
// created; a name longer than a folder name can be (255 bytes) is a folder that cannot be
// made. Nothing is ever replaced, and nothing outside `folder` is touched.
//
// The work can be done in slices: each step does a part and returns, and the moves and their
// results are the same as those of a pass run in one go.
class MovePass : public SteppedPass
{
public:
    MovePass(FolderAccess &folders, QStringList entries, QString folder, QStringList files,
        bool beautifyFolderNames);

    // Works until the deadline passes or `units` files have been handled; true once done.
    bool step(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever),
        qsizetype units = std::numeric_limits<qsizetype>::max()) override;
    bool done() const override;

    // Files that belong to a listed entry; known once every file has been looked at.
    qsizetype filesToMove() const override { return m_toMove; }
    // Files moved or left so far.
    qsizetype filesHandled() const override { return m_summary.moved + m_summary.stayed.size(); }
    const MoveSummary &summary() const override { return m_summary; }

    // Writes each folder before it is made, and each file before it moves, to `journal`, so
    // the pass can be taken back; what cannot be written down is not done.
    void keepJournal(Journal *journal) { m_journal = journal; }

private:
    bool groupSome(QDeadlineTimer deadline, qsizetype &units);
    void nextEntry();
    void handle(qsizetype file);
    std::optional<QString> artistFolder(const QString &name, StayReason &why);
    void stay(const QString &file, StayReason reason, const QString &alsoAt = {});
    bool journalAhead(const QString &folder, bool making);

    FolderAccess &m_folders;
    const QStringList m_entries;
    const QString m_folder;
    const QStringList m_files;
    const bool m_beautify;

    // Each file's artist is worked out once; each entry then reaches its own files directly.
    QHash<QString, QList<qsizetype>> m_filesOf;
    qsizetype m_grouped = 0;
    qsizetype m_toMove = 0;

    // The entry being worked on, its files, how far along them the pass is, and the name of
    // its folder in the selected folder.
    qsizetype m_entry = -1;
    QList<qsizetype> m_mine;
    qsizetype m_next = 0;
    bool m_named = false;
    std::optional<QString> m_target;
    StayReason m_noTarget = StayReason::FolderNotMade;

    MoveSummary m_summary;

    // The journal, and how far along the entry's files it has been written.
    Journal *m_journal = nullptr;
    qsizetype m_journalEntry = -1;
    qsizetype m_journaledTo = 0;
};

// The whole pass in one call.
MoveSummary moveIntoArtistFolders(FolderAccess &folders, const QStringList &entries,
    const QString &folder, const QStringList &files, bool beautifyFolderNames);

} // namespace arvelo
