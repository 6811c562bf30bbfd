#pragma once

#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <limits>
#include <memory>
#include <optional>

namespace arvelo {

// What a move is asked to do: the files of the folder, as listed, and the artist entries whose
// files go into folders named after them.
struct MoveOrder
{
    QStringList artists;
    QStringList files;
    bool beautifyFolderNames = true;
};

// Moves the files of `folder` into one sub-folder per artist entry. A file belongs to an entry
// when the beautified artist part of its name equals the entry. The entry's folder is named at
// its first file, in file order: the beautified artist part when beautifyFolderNames is set,
// else the artist part as written less its leading blanks; trailing blanks never count. An
// existing entry of that name (or of that name in another case) is used, else the folder is
// created; a name longer than a folder name can be (255 bytes) is a folder that cannot be
// made. Nothing is ever replaced, and nothing outside `folder` is touched.
//
// The work can be done in slices: each step does a part and returns, and the moves and their
// results are the same as those of a pass run in one go. With a journal, each folder is written
// down before it is made and each file before it moves, so the pass can be taken back; what
// cannot be written down is not done.
class MovePass : public SteppedPass
{
public:
    MovePass(std::unique_ptr<FolderAccess> folders, QString folder, MoveOrder order,
        PassTell tell = {}, std::unique_ptr<Journal> journal = {});
    ~MovePass() override;

    bool step(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever),
        qsizetype units = std::numeric_limits<qsizetype>::max()) override;

    // Files that belong to a listed entry; known once every file has been looked at.
    qsizetype filesToMove() const override { return m_toMove; }
    // Files moved or left so far.
    qsizetype filesHandled() const override { return m_summary.moved + m_summary.stayed.size(); }
    const MoveSummary &summary() const override { return m_summary; }

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
    qsizetype nextBatch(
        QDeadlineTimer deadline, const QElapsedTimer &clock, qsizetype carried) const;
    void decideAhead(qsizetype batch);
    // False when the file's folder can only be found once the folder's names are read.
    bool decide(qsizetype file);
    std::optional<qsizetype> targetFor(const QString &name);
    void carryOut(const Decided &decided);
    void stay(const QString &file, StayReason reason, const QString &alsoAt = {});

    const std::unique_ptr<FolderAccess> m_folders;
    const QString m_folder;
    const QStringList m_entries;
    const QStringList m_files;
    const bool m_beautify;
    const PassTell m_tell;
    // Declared after the folders: the journal's last flush ends before they close.
    const std::unique_ptr<Journal> m_journal;

    // Each file's artist is worked out once; each entry then reaches its own files directly.
    // A file's place in the list, in 32 bits: a million of them are kept.
    QHash<QString, QList<qint32>> m_filesOf;
    qsizetype m_grouped = 0;
    qsizetype m_toMove = 0;
    // The step's deadline, and whether a folder's lookup had to wait for the folder's names,
    // which are read in slices of their own.
    QDeadlineTimer m_deadline;
    bool m_waiting = false;

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
};

} // namespace arvelo
