#pragma once

#include "core/ArtistFolders.h"
#include "core/JournalStore.h"
#include "core/ListedFolder.h"
#include "core/MoveNoReplace.h"
#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <limits>
#include <memory>

namespace arvelo {

// Takes back the newest pass in a folder that is not taken back yet, from its journal: each
// file goes back from its artist folder into the folder when it is still the file that was
// moved (device and inode, or where those do not last, size and time) and its old name is free
// there; each folder the pass made is
// removed once it is empty. It moves as the move does, relative to open folders, never
// replacing, never following a link; a journal's names are checked as the move checks names,
// so no journal can make it reach outside the folder. Once nothing of the pass is left to take
// back, the journal is marked as taken back, so the next undo takes the pass before; until then
// the next undo takes back what this one could not. A dry run only looks, and changes nothing.
class UndoPass : public SteppedPass
{
public:
    // The newest pass not taken back yet, other than those passed over.
    explicit UndoPass(ListedFolder folder, bool dryRun = false, PassTell tell = {},
        QString journalDir = journalFolder(), const MoveSyscalls &calls = MoveSyscalls::system(),
        const QStringList &passedOver = {});

    // Why the folder could not be opened (an errno), else 0.
    int folderError() const { return m_folder.error(); }
    // Another pass is under way in the folder: this one does nothing.
    bool busy() const { return m_busy; }
    // Whether the folder has a pass to take back, and its journal's name.
    bool found() const { return !m_journalName.isEmpty(); }
    const QString &journalName() const { return m_journalName; }
    // The journals this undo was told to pass over.
    const QStringList &passedOver() const { return m_passedOver; }

    bool step(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever),
        qsizetype units = std::numeric_limits<qsizetype>::max()) override;
    // The files the journal names.
    qsizetype filesToMove() const override { return m_count; }
    // The files taken back or left so far; in summary(), those that went back (or would, in a
    // dry run) count as moved.
    qsizetype filesHandled() const override { return m_next; }

private:
    void handle(const JournalRecord &record);

    const ListedFolder m_folder;
    const bool m_dryRun;
    const QString m_journalDir;
    MoveSyscalls m_calls;
    const QStringList m_passedOver;
    QString m_journalName;
    UniqueFd m_lock;
    bool m_busy = false;
    bool m_stableIds = true;
    // The journal's text; its records are read from m_end back to m_first.
    QByteArray m_text;
    qsizetype m_first = 0;
    qsizetype m_end = 0;
    qsizetype m_count = 0;
    // The folders the pass made, once each.
    QSet<QString> m_made;
    QList<JournalRecord> m_reserved;
    qsizetype m_next = 0;
    bool m_finished = false;
    ArtistFolder m_sub;
};

// Removes the empty files that a pass made to reserve names and that a crash left behind (its
// `reserved` records): each only while it is still empty and still the file that was made.
void removeReservations(const ListedFolder &folder, const QList<JournalRecord> &records);
// The same for the newest pass in the folder that is not taken back, before a new one there.
void removeLeftReservations(const ListedFolder &folder, const QString &journalDir);

// The next undo in folder, done (with dryRun, only looked at), and told to `tell`. A pass that
// has nothing left to take back (its files all stayed, or are back already) is passed over, so
// that it never hides the pass before it; unless dryRun, it is also marked as taken back.
std::unique_ptr<UndoPass> nextUndo(const QString &folder, bool dryRun = false, PassTell tell = {},
    const QString &journalDir = journalFolder());

} // namespace arvelo
