#pragma once

#include "core/ArtistFolders.h"
#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
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
    // An artist folder as decided for a batch: the name to move into, or why nothing moves.
    struct Target
    {
        std::optional<QString> name;
        StayReason why = StayReason::UnusableName;
        bool toMake = false;
    };
    // One file's move as decided ahead of its turn; without a target it stays for `why`.
    struct Decided
    {
        qsizetype file = 0;
        qsizetype target = -1;
        StayReason why = StayReason::UnusableName;
        LookedFile looked;
    };

    bool groupSome(QDeadlineTimer deadline, qsizetype &units);
    void nextEntry();
    bool prepare(QDeadlineTimer deadline);
    qsizetype nextBatch(
        QDeadlineTimer deadline, const QElapsedTimer &clock, qsizetype carried) const;
    void decideAhead(qsizetype batch);
    // False when the file's folder can only be found once the folder's names are read.
    bool decide(qsizetype file);
    std::optional<qsizetype> targetFor(const QString &name);
    void carryOut(const Decided &decided);
    void stay(const QString &file, StayReason reason, const QString &alsoAt = {});

    FolderAccess &m_folders;
    const QStringList m_entries;
    const QString m_folder;
    const QStringList m_files;
    const bool m_beautify;

    // Each file's artist is worked out once; each entry then reaches its own files directly.
    // A file's place in the list, in 32 bits: a million of them are kept.
    QHash<QString, QList<qint32>> m_filesOf;
    qsizetype m_grouped = 0;
    // The folder's names are read only when a folder is not found by its name as it stands.
    bool m_prepared = false;
    bool m_preparing = false;
    qsizetype m_nameBytes = -1;
    qsizetype m_indexed = 0;
    qsizetype m_toMove = 0;

    // How far the deciding has come: the entry, its files, the next of them, and whether its
    // folder has been named (by the entry's first file that gives a name) and as which target.
    qsizetype m_entry = -1;
    QList<qint32> m_mine;
    qsizetype m_next = 0;
    bool m_named = false;
    qsizetype m_target = -1;

    // The files are decided a batch at a time, ahead of being carried out, so that the journal
    // writes down a whole batch with one write before any of it happens. A batch grows to
    // about what one step carries out.
    QList<Target> m_targets;
    QHash<QString, qsizetype> m_toMake; // folded name: a folder this batch will make
    QList<Decided> m_ahead;
    qsizetype m_carried = 0;
    qsizetype m_batch = 64;
    bool m_writtenDown = true;

    MoveSummary m_summary;
    Journal *m_journal = nullptr;
};

// The whole pass in one call.
MoveSummary moveIntoArtistFolders(FolderAccess &folders, const QStringList &entries,
    const QString &folder, const QStringList &files, bool beautifyFolderNames);

} // namespace arvelo
