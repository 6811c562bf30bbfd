#include "core/MovePlan.h"

#include "core/ArtistName.h"
#include "core/Module1.h"
#include "core/NameCodec.h"

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

constexpr qsizetype MaxNameBytes = 255;

// How many files a deadline check may be apart: looking at the clock costs more than grouping.
constexpr qsizetype GroupingBatch = 256;

} // namespace

MovePlan::MovePlan(FolderAccess &folders, Journal *journal, const MoveOrder &order)
    : m_access(folders)
    , m_journal(journal)
    , m_entries(order.artists)
    , m_files(order.files)
    , m_beautify(order.beautifyFolderNames)
{
    // Nothing to group for no entry.
    if (m_entries.isEmpty())
        m_grouped = m_files.size();
    // Only the listed artists are kept, each once: the table stays as small as the list.
    m_filesOf.reserve(m_entries.size());
    for (const QString &entry : m_entries)
        m_filesOf.emplace(entry);
}

bool MovePlan::group(QDeadlineTimer deadline, qsizetype &units)
{
    if (m_grouped == m_files.size())
        return true;
    while (m_grouped < m_files.size()) {
        if (units <= 0 || deadline.hasExpired())
            return false;
        const qsizetype end = std::min(m_files.size(), m_grouped + std::min(GroupingBatch, units));
        units -= end - m_grouped;
        for (; m_grouped < end; ++m_grouped) {
            // Files of artists that are not listed are left out.
            const auto mine
                = m_filesOf.find(Module1::BeautifyName(artistPart(m_files.at(m_grouped))));
            if (mine != m_filesOf.end())
                mine->append(qint32(m_grouped));
        }
    }
    // Counted once, when the last file is grouped.
    for (const QList<qint32> &mine : std::as_const(m_filesOf))
        m_toMove += mine.size();
    return true;
}

void MovePlan::nextEntry()
{
    ++m_entry;
    m_next = 0;
    m_named = false;
    m_folder = -1;
    // Taken out, so an entry listed twice finds its files already handled.
    m_mine = m_entry < m_entries.size() ? m_filesOf.take(m_entries.at(m_entry)) : QList<qint32>();
}

const QList<PlannedFile> &MovePlan::decide(qsizetype batch, QDeadlineTimer deadline)
{
    m_batch.clear();
    // Folders of the last batch have been made or not by now; the entry under way keeps its
    // own.
    const std::optional<PlannedFolder> current
        = m_folder >= 0 ? std::optional(m_folders.at(m_folder)) : std::nullopt;
    m_folders.clear();
    m_toMake.clear();
    if (current) {
        m_folders.append(*current);
        m_folder = 0;
    }
    m_waiting = false;
    while (m_entry < m_entries.size() && m_batch.size() < batch && !m_waiting) {
        if (m_entry < 0 || m_next == m_mine.size())
            nextEntry();
        else if (decideFile(m_mine.at(m_next), deadline))
            ++m_next;
    }
    return m_batch;
}

bool MovePlan::decideFile(qsizetype j, QDeadlineTimer deadline)
{
    const QString &file = m_files.at(j);
    if (!isPlainEntryName(file)) {
        m_batch.append(PlannedFile {j, -1, StayReason::UnusableName, {}});
        return true;
    }
    if (!m_named) {
        // A file that gives no name leaves the naming to the artist's next file.
        const QString name = folderNameFrom(file, m_beautify);
        if (!name.isEmpty()) {
            const std::optional<qsizetype> folder = folderFor(name, deadline);
            if (!folder)
                return false;
            m_named = true;
            m_folder = *folder;
        }
    }
    PlannedFile planned {j, m_folder, StayReason::UnusableName, {}};
    if (m_journal && m_folder >= 0) {
        if (const auto &folder = m_folders.at(m_folder).name) {
            planned.looked = m_access.look(file);
            // A file that could not be looked at is written down as unknown, which the undo
            // never takes for any file.
            const struct stat unknown = {};
            m_journal->moving(planned.looked.error == 0 ? planned.looked.info : unknown, *folder,
                planned.looked.name);
        }
    }
    m_batch.append(std::move(planned));
    return true;
}

std::optional<qsizetype> MovePlan::folderFor(const QString &name, QDeadlineTimer deadline)
{
    PlannedFolder folder;
    // No file system here takes a longer name; nor may one of another case stand in for it.
    if (isUsableFolderName(name) && encodeName(name).size() > MaxNameBytes) {
        folder.why = StayReason::FolderNotMade;
    } else if (isUsableFolderName(name)) {
        const FolderAccess::Found found = m_access.findEntry(name, deadline);
        if (!found.ready) {
            m_waiting = true;
            return std::nullopt;
        }
        if (const auto &entry = found.entry) {
            // A file or a link of that name stands where the folder should be: nothing moves.
            if (entry->isFolder)
                folder.name = entry->name;
            else
                folder.why = StayReason::NotAFolder;
        } else {
            // Not made yet, but made before this entry's turn: the entry shares it, as it would
            // find it once made.
            const QString folded = foldedName(name);
            if (const auto made = m_toMake.constFind(folded); made != m_toMake.cend())
                return *made;
            folder.name = name;
            folder.toMake = true;
            m_toMake.insert(folded, m_folders.size());
            if (m_journal)
                m_journal->made(name);
        }
    }
    m_folders.append(folder);
    return m_folders.size() - 1;
}

} // namespace arvelo
