#include "core/UndoPass.h"

#include "core/ArtistFolders.h"
#include "core/NameCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace arvelo {

namespace {

bool sameFile(const struct stat &info, FileIdentity identity)
{
    return identity.known() && quint64(info.st_dev) == identity.device
        && quint64(info.st_ino) == identity.inode;
}

} // namespace

UndoPass::UndoPass(
    const QString &folder, bool dryRun, QString journalDir, const MoveSyscalls &calls)
    : m_dryRun(dryRun)
    , m_journalDir(std::move(journalDir))
    , m_calls(calls)
    , m_folder(folder)
{
    // The folder the user chose may be reached through a link, as for the move; from here on
    // every name is looked up inside the folder it led to.
    m_fd = ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info
    { };
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        m_folderError = errno;
        return;
    }
    // Journals are found by the folder's identity and path, so no other folder's pass is taken
    // back here.
    const auto name
        = lastPassOf({quint64(info.st_dev), quint64(info.st_ino)}, folder, m_journalDir);
    const auto content = name ? readJournal(m_journalDir, *name) : std::nullopt;
    if (!content)
        return;
    m_journalName = *name;
    for (qsizetype k = content->records.size() - 1; k >= 0; --k) {
        const JournalRecord &record = content->records.at(k);
        if (!record.made)
            m_files.append(record);
        else if (!m_made.contains(record.folder))
            m_made.append(record.folder);
    }
}

UndoPass::~UndoPass()
{
    if (m_subFd >= 0)
        ::close(m_subFd);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool UndoPass::done() const
{
    return m_finished || m_journalName.isEmpty();
}

bool UndoPass::step(QDeadlineTimer deadline, qsizetype units)
{
    while (m_next < m_files.size()) {
        if (units-- <= 0 || deadline.hasExpired())
            return false;
        handle(m_files.at(m_next++));
    }
    if (done())
        return true;
    if (!m_dryRun) {
        // Never recursively: a folder someone has put a file in since stays, with the file.
        for (const QString &made : std::as_const(m_made)) {
            if (isUsableFolderName(made))
                ::unlinkat(m_fd, encodeName(made).constData(), AT_REMOVEDIR);
        }
        markUndone(m_journalDir, m_journalName);
    }
    m_finished = true;
    return true;
}

int UndoPass::subFolderFd(const QString &name)
{
    if (name != m_subName) {
        if (m_subFd >= 0)
            ::close(m_subFd);
        m_subName = name;
        // A link put in the folder's place is refused, not followed.
        m_subFd = ::openat(
            m_fd, encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return m_subFd;
}

void UndoPass::handle(const JournalRecord &record)
{
    // The journal is input like any other: only a plain name inside a visible folder of the
    // selected folder is used.
    if (!isPlainEntryName(record.file) || !isUsableFolderName(record.folder)) {
        stay(record, StayReason::UnusableName);
        return;
    }
    const QByteArray name = encodeName(record.file);
    struct stat here
    { };
    const bool taken = m_calls.lstat(m_fd, name.constData(), &here) == 0;
    // Never moved (it stayed at the move), or already back from an undo cut short.
    if (taken && sameFile(here, record.identity))
        return;
    const int sub = subFolderFd(record.folder);
    struct stat there
    { };
    if (sub < 0 || m_calls.lstat(sub, name.constData(), &there) != 0) {
        // A file the journal could not identify, and that is not there, never moved.
        if (record.identity.known())
            stay(record, StayReason::NotInArtistFolder);
        return;
    }
    if (!sameFile(there, record.identity)) {
        stay(record, StayReason::OtherFileNow);
        return;
    }
    if (taken) {
        stay(record, StayReason::TakenInFolder);
        return;
    }
    if (m_dryRun) {
        ++m_summary.moved;
        m_movedBack.append(joinPath(record.folder, record.file));
        return;
    }
    const MoveResult result
        = moveNoReplaceAt(sub, name.constData(), m_fd, name.constData(), there, m_calls);
    if (result.moved()) {
        ++m_summary.moved;
        m_movedBack.append(joinPath(record.folder, record.file));
    } else if (result.linkWouldBreak) {
        stay(record, StayReason::LinkWouldBreak);
    } else if (result.twoNames) {
        stay(record, StayReason::LeftUnderTwoNames, joinPath(m_folder, record.file));
    } else if (result.error == EEXIST || result.error == ENOTEMPTY) {
        stay(record, StayReason::TakenInFolder);
    } else if (result.error == ENOENT) {
        stay(record, StayReason::NotInArtistFolder);
    } else {
        stay(record, StayReason::Refused);
    }
}

void UndoPass::stay(const JournalRecord &record, StayReason reason, const QString &alsoAt)
{
    m_summary.stayed.append({joinPath(record.folder, record.file), reason, alsoAt});
}

std::unique_ptr<UndoPass> nextUndo(const QString &folder, const QString &journalDir)
{
    // Bounded, in case a journal cannot be marked as taken back.
    for (int tries = 0;; ++tries) {
        auto preview = std::make_unique<UndoPass>(folder, true, journalDir);
        preview->step();
        const MoveSummary &summary = preview->summary();
        if (!preview->found() || summary.moved + summary.stayed.size() > 0 || tries == 100)
            return preview;
        UndoPass(folder, false, journalDir).step();
    }
}

} // namespace arvelo
