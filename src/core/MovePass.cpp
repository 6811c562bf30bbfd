#include "core/MovePass.h"

#include "core/ArtistFolders.h"
#include "core/ArtistName.h"
#include "core/Journal.h"
#include "core/Module1.h"
#include "core/NameCodec.h"

#include <QSet>

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

// At most this many files of an artist are written to the journal at once.
constexpr qsizetype JournalBatch = 1024;

} // namespace

MovePass::MovePass(FolderAccess &folders, QStringList entries, QString folder, QStringList files,
    bool beautifyFolderNames)
    : m_folders(folders)
    , m_entries(std::move(entries))
    , m_folder(std::move(folder))
    , m_files(std::move(files))
    , m_beautify(beautifyFolderNames)
{
    // Nothing to do at all: no entry, or no folder to work in.
    if (m_folder.isEmpty() || m_entries.isEmpty()) {
        m_grouped = m_files.size();
        m_entry = m_entries.size();
    } else {
        m_filesOf.reserve(m_files.size());
    }
}

bool MovePass::done() const
{
    return m_grouped == m_files.size() && m_entry >= m_entries.size();
}

bool MovePass::step(QDeadlineTimer deadline, qsizetype units)
{
    if (!groupSome(deadline, units))
        return false;
    while (!done()) {
        if (m_entry < 0 || m_next == m_mine.size()) {
            nextEntry();
            continue;
        }
        if (units <= 0 || deadline.hasExpired())
            return false;
        handle(m_mine.at(m_next++));
        --units;
    }
    return true;
}

bool MovePass::groupSome(QDeadlineTimer deadline, qsizetype &units)
{
    if (m_entry >= 0)
        return true;
    while (m_grouped < m_files.size()) {
        if (units <= 0 || deadline.hasExpired())
            return false;
        const qsizetype end = std::min(m_files.size(), m_grouped + std::min(GroupingBatch, units));
        for (; m_grouped < end; ++m_grouped, --units)
            m_filesOf[Module1::BeautifyName(artistPart(m_files.at(m_grouped)))].append(m_grouped);
    }
    QSet<QString> counted;
    for (const QString &entry : m_entries) {
        if (!counted.contains(entry)) {
            counted.insert(entry);
            m_toMove += m_filesOf.value(entry).size();
        }
    }
    return true;
}

void MovePass::nextEntry()
{
    ++m_entry;
    m_next = 0;
    m_named = false;
    m_target.reset();
    m_noTarget = StayReason::UnusableName;
    // Taken out, so an entry listed twice finds its files already handled.
    m_mine
        = m_entry < m_entries.size() ? m_filesOf.take(m_entries.at(m_entry)) : QList<qsizetype>();
}

void MovePass::handle(qsizetype j)
{
    const QString &file = m_files.at(j);
    if (!isPlainEntryName(file)) {
        stay(file, StayReason::UnusableName);
        return;
    }
    if (!m_named) {
        // A file that gives no name leaves the naming to the artist's next file.
        const QString name = folderNameFrom(file, m_beautify);
        if (!name.isEmpty()) {
            m_named = true;
            m_target = artistFolder(name, m_noTarget);
        }
    }
    if (!m_target) {
        stay(file, m_noTarget);
        return;
    }
    if (m_journal && (m_journalEntry != m_entry || m_next > m_journaledTo)
        && !journalAhead(*m_target, false)) {
        stay(file, StayReason::NotJournaled);
        return;
    }
    const MoveResult result = m_folders.moveInto(m_folder, file, *m_target);
    if (result.moved())
        ++m_summary.moved;
    else if (result.linkWouldBreak)
        stay(file, StayReason::LinkWouldBreak);
    else if (result.twoNames)
        stay(file, StayReason::LeftUnderTwoNames, joinPath(joinPath(m_folder, *m_target), file));
    else
        stay(file, reasonFor(result));
}

std::optional<QString> MovePass::artistFolder(const QString &name, StayReason &why)
{
    why = StayReason::UnusableName;
    if (!isUsableFolderName(name))
        return std::nullopt;
    // No file system here takes a longer name; nor may one of another case stand in for it.
    why = StayReason::FolderNotMade;
    if (encodeName(name).size() > MaxNameBytes)
        return std::nullopt;
    why = StayReason::UnusableName;
    if (const auto entry = m_folders.findEntry(m_folder, name)) {
        // A file or a link of that name stands where the folder should be: nothing moves.
        why = StayReason::NotAFolder;
        if (!entry->isFolder)
            return std::nullopt;
        return entry->name;
    }
    if (m_journal && !journalAhead(name, true)) {
        why = StayReason::NotJournaled;
        return std::nullopt;
    }
    if (!m_folders.createFolder(m_folder, name)) {
        why = errno == EROFS ? StayReason::ReadOnly : StayReason::FolderNotMade;
        return std::nullopt;
    }
    ++m_summary.foldersCreated;
    return name;
}

void MovePass::stay(const QString &file, StayReason reason, const QString &alsoAt)
{
    m_summary.stayed.append({file, reason, alsoAt});
}

// One write for the folder to be made and the artist's files from the current one on, before
// any of them is changed.
bool MovePass::journalAhead(const QString &folder, bool making)
{
    QStringList files;
    const qsizetype end = std::min(m_mine.size(), m_next - 1 + JournalBatch);
    for (qsizetype k = m_next - 1; k < end; ++k) {
        if (isPlainEntryName(m_files.at(m_mine.at(k))))
            files.append(m_files.at(m_mine.at(k)));
    }
    if (!m_journal->aboutToMove(folder, making, files))
        return false;
    m_journalEntry = m_entry;
    m_journaledTo = end;
    return true;
}

MoveSummary moveIntoArtistFolders(FolderAccess &folders, const QStringList &entries,
    const QString &folder, const QStringList &files, bool beautifyFolderNames)
{
    MovePass pass(folders, entries, folder, files, beautifyFolderNames);
    pass.step();
    return pass.summary();
}

} // namespace arvelo
