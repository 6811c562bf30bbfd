#include "core/MovePass.h"

#include "core/ArtistFolders.h"
#include "core/ArtistName.h"
#include "core/Journal.h"
#include "core/Module1.h"
#include "core/NameCodec.h"

#include <cerrno>

namespace arvelo {

namespace {

// The artist's folder name as given by one of its files; empty when that file gives none.
QString folderNameFrom(const QString &file, bool beautify)
{
    const QString part = artistPart(file);
    qsizetype begin = 0;
    while (begin < part.size() && part.at(begin) == Blank)
        ++begin;
    const QString name = part.sliced(begin);
    return withoutTrailingBlanks(beautify ? Module1::BeautifyName(name) : name);
}

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

constexpr qsizetype MaxNameBytes = 255;

// How many files a deadline check may be apart: looking at the clock costs more than grouping.
constexpr qsizetype GroupingBatch = 256;

// Bounds of a batch of files decided ahead, which the journal writes with one write. A batch
// is about what one step carries out, but no larger than this: each file is looked at when its
// batch is decided, and it should still be in the processor's caches when it moves (the
// bench's journal row).
constexpr qsizetype SmallestBatch = 64;
constexpr qsizetype LargestBatch = 1024;

} // namespace

MovePass::MovePass(std::unique_ptr<FolderAccess> folders, QString folder, MoveOrder order,
    PassTell tell, std::unique_ptr<Journal> journal)
    : m_folders(std::move(folders))
    , m_folder(std::move(folder))
    , m_entries(std::move(order.artists))
    , m_files(std::move(order.files))
    , m_beautify(order.beautifyFolderNames)
    , m_tell(std::move(tell))
    , m_journal(std::move(journal))
{
    // Nothing to do at all: no entry, or no folder to work in.
    if (m_folder.isEmpty() || m_entries.isEmpty()) {
        m_grouped = m_files.size();
        m_entry = m_entries.size();
    }
}

MovePass::~MovePass() = default;

bool MovePass::step(QDeadlineTimer deadline, qsizetype units)
{
    if (!groupSome(deadline, units))
        return false;
    m_deadline = deadline;
    QElapsedTimer clock;
    clock.start();
    qsizetype carried = 0;
    for (;;) {
        if (m_carried == m_ahead.size()) {
            // Never more than the caller lets this step carry out.
            decideAhead(std::clamp(units, qsizetype(1), nextBatch(deadline, clock, carried)));
            // Nothing decided while a folder's lookup waits means the step's time is up.
            if (m_ahead.isEmpty())
                return !m_waiting;
        }
        if (units <= 0 || deadline.hasExpired()) {
            m_batch = std::clamp(carried, SmallestBatch, LargestBatch);
            return false;
        }
        carryOut(m_ahead.at(m_carried++));
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
        return m_batch;
    if (deadline.isForever())
        return LargestBatch;
    const qint64 spent = std::max(clock.nsecsElapsed(), qint64(1));
    const qint64 left = std::max(deadline.remainingTimeNSecs(), qint64(0));
    return qsizetype(
        std::clamp(left * carried / spent, qint64(SmallestBatch), qint64(LargestBatch)));
}

bool MovePass::groupSome(QDeadlineTimer deadline, qsizetype &units)
{
    // Counted once, when the last file is grouped.
    if (m_grouped == m_files.size())
        return true;
    // Only the listed artists are kept, each once: the table stays as small as the list.
    if (m_filesOf.isEmpty()) {
        m_filesOf.reserve(m_entries.size());
        for (const QString &entry : m_entries)
            m_filesOf.emplace(entry);
    }
    while (m_grouped < m_files.size()) {
        if (units <= 0 || deadline.hasExpired())
            return false;
        const qsizetype end = std::min(m_files.size(), m_grouped + std::min(GroupingBatch, units));
        for (; m_grouped < end; ++m_grouped, --units) {
            const auto mine
                = m_filesOf.find(Module1::BeautifyName(artistPart(m_files.at(m_grouped))));
            if (mine != m_filesOf.end())
                mine->append(qint32(m_grouped));
        }
    }
    for (const QList<qint32> &mine : std::as_const(m_filesOf))
        m_toMove += mine.size();
    return true;
}

void MovePass::nextEntry()
{
    ++m_entry;
    m_next = 0;
    m_named = false;
    m_target = -1;
    // Taken out, so an entry listed twice finds its files already handled.
    m_mine = m_entry < m_entries.size() ? m_filesOf.take(m_entries.at(m_entry)) : QList<qint32>();
}

void MovePass::decideAhead(qsizetype batch)
{
    m_ahead.clear();
    m_carried = 0;
    // Folders of the last batch have been made or not by now; the entry under way keeps its
    // own.
    const std::optional<Target> current
        = m_target >= 0 ? std::optional(m_targets.at(m_target)) : std::nullopt;
    m_targets.clear();
    m_toMake.clear();
    if (current) {
        m_targets.append(*current);
        m_target = 0;
    }
    m_waiting = false;
    while (m_entry < m_entries.size() && m_ahead.size() < batch && !m_waiting) {
        if (m_entry < 0 || m_next == m_mine.size())
            nextEntry();
        else if (decide(m_mine.at(m_next)))
            ++m_next;
    }
    if (m_journal)
        m_writtenDown = m_journal->write();
}

bool MovePass::decide(qsizetype j)
{
    const QString &file = m_files.at(j);
    if (!isPlainEntryName(file)) {
        m_ahead.append(Decided {j, -1, StayReason::UnusableName, {}});
        return true;
    }
    if (!m_named) {
        // A file that gives no name leaves the naming to the artist's next file.
        const QString name = folderNameFrom(file, m_beautify);
        if (!name.isEmpty()) {
            const std::optional<qsizetype> target = targetFor(name);
            if (!target)
                return false;
            m_named = true;
            m_target = *target;
        }
    }
    Decided decided {j, m_target, StayReason::UnusableName, {}};
    if (m_journal && m_target >= 0) {
        if (const auto &folder = m_targets.at(m_target).name) {
            decided.looked = m_folders->look(file);
            // A file that could not be looked at is written down as unknown, which the undo
            // never takes for any file.
            m_journal->moving(
                decided.looked.error == 0 ? FileId::of(decided.looked.info) : FileId(), *folder,
                decided.looked.name);
        }
    }
    m_ahead.append(std::move(decided));
    return true;
}

std::optional<qsizetype> MovePass::targetFor(const QString &name)
{
    Target target;
    // No file system here takes a longer name; nor may one of another case stand in for it.
    if (isUsableFolderName(name) && encodeName(name).size() > MaxNameBytes) {
        target.why = StayReason::FolderNotMade;
    } else if (isUsableFolderName(name)) {
        const FolderAccess::Found found = m_folders->findEntry(name, m_deadline);
        if (!found.ready) {
            m_waiting = true;
            return std::nullopt;
        }
        if (const auto &entry = found.entry) {
            // A file or a link of that name stands where the folder should be: nothing moves.
            if (entry->isFolder)
                target.name = entry->name;
            else
                target.why = StayReason::NotAFolder;
        } else {
            // Not made yet, but made before this entry's turn: the entry shares it, as it would
            // find it once made.
            const QString folded = foldedName(name);
            if (const auto made = m_toMake.constFind(folded); made != m_toMake.cend())
                return *made;
            target.name = name;
            target.toMake = true;
            m_toMake.insert(folded, m_targets.size());
            if (m_journal)
                m_journal->made(name);
        }
    }
    m_targets.append(target);
    return m_targets.size() - 1;
}

void MovePass::carryOut(const Decided &decided)
{
    const QString &file = m_files.at(decided.file);
    if (decided.target < 0) {
        stay(file, decided.why);
        return;
    }
    Target &target = m_targets[decided.target];
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
    const LookedFile looked = m_journal ? decided.looked : m_folders->look(file);
    if (looked.relativeLink) {
        stay(file, StayReason::LinkWouldBreak);
        return;
    }
    const MoveResult result = m_folders->move(looked, *target.name);
    if (result.moved()) {
        ++m_summary.moved;
        if (m_tell.fileMoved)
            m_tell.fileMoved(file, joinPath(*target.name, file));
    } else if (result.twoNames) {
        stay(file, StayReason::LeftUnderTwoNames, joinPath(joinPath(m_folder, *target.name), file));
    } else {
        stay(file, reasonFor(result));
    }
}

void MovePass::stay(const QString &file, StayReason reason, const QString &alsoAt)
{
    m_summary.stayed.append({file, reason, alsoAt});
}

} // namespace arvelo
