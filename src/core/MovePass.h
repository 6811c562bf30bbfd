#pragma once

#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/MovePlan.h"
#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <limits>
#include <memory>

namespace arvelo {

// Moves the files of `folder` into one sub-folder per artist entry, as a MovePlan decides: a file
// belongs to an entry when the beautified artist part of its name equals the entry. Nothing is
// ever replaced, and nothing outside `folder` is touched.
//
// The work can be done in slices: each step does a part and returns, and the moves and their
// results are the same as those of a pass run in one go. With a journal, the plan's records of
// a batch are written with one write before any of it happens; what cannot be written down is
// not done.
class MovePass : public SteppedPass
{
public:
    MovePass(std::unique_ptr<FolderAccess> folders, QString folder, const MoveOrder &order,
        PassTell tell = {}, std::unique_ptr<Journal> journal = {});
    ~MovePass() override;

    bool step(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever),
        qsizetype units = std::numeric_limits<qsizetype>::max()) override;

    // Files that belong to a listed entry; known once every file has been looked at.
    qsizetype filesToMove() const override { return m_plan.filesToMove(); }
    // Files moved or left so far.
    qsizetype filesHandled() const override { return m_summary.moved + m_summary.stayed.size(); }

private:
    qsizetype nextBatch(
        QDeadlineTimer deadline, const QElapsedTimer &clock, qsizetype carried) const;
    void carryOut(const PlannedFile &planned);

    const std::unique_ptr<FolderAccess> m_folders;
    // Declared after the folders: the journal's last flush ends before they close.
    const std::unique_ptr<Journal> m_journal;
    MovePlan m_plan;

    // The batch the plan decided, how far it is carried out, and whether it was written down.
    // A batch grows to about what one step carries out.
    const QList<PlannedFile> *m_batch = nullptr;
    qsizetype m_carried = 0;
    qsizetype m_batchSize = 64;
    bool m_writtenDown = true;
};

} // namespace arvelo
