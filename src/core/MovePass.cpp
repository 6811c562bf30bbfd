#include "core/MovePass.h"

#include "core/ArtistFolders.h"
#include "core/Journal.h"

#include <cerrno>

namespace arvelo {

namespace {

StayReason reasonFor(const MoveResult &result)
{
    switch (result.error) {
    case EEXIST:
    case ENOTEMPTY:
        return StayReason::NameTaken;
    case ENOENT:
        return StayReason::Vanished;
    case EROFS:
        return StayReason::ReadOnly;
    default:
        return StayReason::Refused;
    }
}

// Bounds of a batch of files decided ahead, which the journal writes with one write. A batch
// is about what one step carries out, but no larger than this: each file is looked at when its
// batch is decided, and it should still be in the processor's caches when it moves (the
// bench's journal row).
constexpr qsizetype SmallestBatch = 64;
constexpr qsizetype LargestBatch = 1024;

} // namespace

MovePass::MovePass(std::unique_ptr<FolderAccess> folders, QString folder, const MoveOrder &order,
    PassTell tell, std::unique_ptr<Journal> journal)
    : SteppedPass(std::move(folder), std::move(tell))
    , m_folders(std::move(folders))
    , m_journal(std::move(journal))
    // Without a folder to work in there is nothing to do at all.
    , m_plan(*m_folders, m_journal.get(), m_base.isEmpty() ? MoveOrder() : order)
{ }

MovePass::~MovePass()
{
    if (m_journal)
        m_journal->finish(m_summary.moved > 0 || m_summary.foldersCreated > 0);
}

bool MovePass::step(QDeadlineTimer deadline, qsizetype units)
{
    if (!m_plan.group(deadline, units))
        return false;
    QElapsedTimer clock;
    clock.start();
    qsizetype carried = 0;
    for (;;) {
        if (!m_batch || m_carried == m_batch->size()) {
            // Never more than the caller lets this step carry out.
            m_batch = &m_plan.decide(
                std::clamp(units, qsizetype(1), nextBatch(deadline, clock, carried)), deadline);
            m_carried = 0;
            if (m_journal)
                m_writtenDown = m_journal->write();
            // Nothing decided while a folder's lookup waits means the step's time is up.
            if (m_batch->isEmpty())
                return !m_plan.waiting();
        }
        if (units <= 0 || deadline.hasExpired()) {
            m_batchSize = std::clamp(carried, SmallestBatch, LargestBatch);
            return false;
        }
        carryOut(m_batch->at(m_carried++));
        ++carried;
        --units;
    }
}

qsizetype MovePass::nextBatch(
    QDeadlineTimer deadline, const QElapsedTimer &clock, qsizetype carried) const
{
    // Without a journal nothing needs deciding before its turn.
    if (!m_journal)
        return 1;
    // A step starts with what the step before carried out. Later batches are what the time
    // left allows at this step's pace: a file decided in one step and moved in the next has
    // lost from the processor's caches what its look brought in, to whatever ran between.
    if (carried == 0)
        return m_batchSize;
    if (deadline.isForever())
        return LargestBatch;
    const qint64 spent = std::max(clock.nsecsElapsed(), qint64(1));
    const qint64 left = std::max(deadline.remainingTimeNSecs(), qint64(0));
    return qsizetype(
        std::clamp(left * carried / spent, qint64(SmallestBatch), qint64(LargestBatch)));
}

void MovePass::carryOut(const PlannedFile &planned)
{
    const QString &file = m_plan.file(planned.file);
    if (planned.folder < 0) {
        stay(file, planned.why);
        return;
    }
    PlannedFolder &target = m_plan.folder(planned.folder);
    if (!target.name) {
        stay(file, target.why);
        return;
    }
    if (!m_writtenDown) {
        stay(file, StayReason::NotJournaled);
        return;
    }
    if (target.toMake) {
        target.toMake = false;
        if (const int error = m_folders->makeFolder(*target.name)) {
            target.why = error == EROFS ? StayReason::ReadOnly : StayReason::FolderNotMade;
            target.name.reset();
            stay(file, target.why);
            return;
        }
        ++m_summary.foldersCreated;
        if (m_tell.folderMade)
            m_tell.folderMade(*target.name);
    }
    // Without a journal the file is looked at only now, right before it moves.
    const LookedFile looked = m_journal ? planned.looked : m_folders->look(file);
    if (looked.relativeLink) {
        stay(file, StayReason::LinkWouldBreak);
        return;
    }
    const MoveResult result = m_folders->move(looked, *target.name);
    settle(result, {}, *target.name, file, reasonFor(result));
}

} // namespace arvelo
