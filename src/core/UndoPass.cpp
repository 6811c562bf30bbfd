#include "core/UndoPass.h"

#include "core/ArtistFolders.h"
#include "core/NameCodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace arvelo {

UndoPass::UndoPass(ListedFolder folder, bool dryRun, PassTell tell, QString journalDir,
    const MoveSyscalls &calls, const QStringList &passedOver)
    : SteppedPass(folder.path(), std::move(tell))
    , m_folder(std::move(folder))
    , m_dryRun(dryRun)
    , m_journalDir(std::move(journalDir))
    // A name reserved in the folder to take a file back is written down, as the move does.
    , m_calls(calls.tellingCreates([this](const struct stat &info, const char *name) {
        appendRecord(
            m_journalDir, m_journalName, reservationRecord(info, QStringLiteral("."), name), false);
    }))
    , m_passedOver(passedOver)
{
    if (m_folder.fd() < 0)
        return;
    m_stableIds = stableIdentities(m_folder.fd());
    // A dry run changes nothing, and needs no lock.
    if (!m_dryRun) {
        std::optional<UniqueFd> lock = lockPasses(m_journalDir, m_folder.id());
        m_busy = !lock;
        if (m_busy)
            return;
        m_lock = std::move(*lock);
    }
    // Journals are found by the folder's identity and path (by the path alone where identities
    // do not last), so no other folder's pass is taken back here.
    const auto name = lastPassOf(
        m_folder.id(), m_folder.path(), m_journalDir, m_text, m_passedOver, !m_stableIds);
    if (!name || !parseHead(m_text, &m_first))
        return;
    m_journalName = *name;
    // The records are read one at a time as they are taken back, from the text alone: a pass
    // of a million files is undone in no more memory than its journal's. Only the count and
    // the reservations, which go first, are needed beforehand.
    // The last record may have been cut short by a crash: only whole lines count.
    m_end = m_text.lastIndexOf('\n') + 1;
    m_reserved = reservationsIn(m_text, m_first, &m_count);
}

bool UndoPass::step(QDeadlineTimer deadline, qsizetype units)
{
    // What a crash left reserved would block files from going back.
    if (m_next == 0 && !m_dryRun)
        removeReservations(m_folder, std::exchange(m_reserved, {}));
    // Newest first: from the end of the text back.
    while (m_end > m_first) {
        if (units <= 0 || deadline.hasExpired())
            return false;
        const qsizetype from = m_text.lastIndexOf('\n', m_end - 2) + 1;
        const std::optional<JournalRecord> record
            = parseRecord(QByteArrayView(m_text.constData() + from, m_end - 1 - from));
        m_end = from;
        if (!record || record->reserved) {
            continue;
        } else if (record->made) {
            // A set: a pass of many artists makes many folders, and each goes once.
            m_made.insert(record->folder);
        } else {
            --units;
            ++m_next;
            handle(*record);
        }
    }
    if (m_finished || m_journalName.isEmpty())
        return true;
    if (!m_dryRun) {
        // Never recursively: a folder someone has put a file in since stays, with the file.
        for (const QString &made : std::as_const(m_made)) {
            if (isUsableFolderName(made))
                ::unlinkat(m_folder.fd(), encodeName(made).constData(), AT_REMOVEDIR);
        }
        // Files still in their artist folders keep the pass open for the next undo.
        const bool left = std::ranges::any_of(m_summary.stayed, [](const StayedFile &file) {
            return file.reason == StayReason::TakenInFolder || file.reason == StayReason::Refused;
        });
        if (!left)
            m_summary.journalNotUpdated
                = !appendRecord(m_journalDir, m_journalName, "undone\n", true);
    }
    m_finished = true;
    return true;
}

void UndoPass::handle(const JournalRecord &record)
{
    // The journal is input like any other: only a plain name inside a visible folder of the
    // selected folder is used.
    if (!isPlainEntryName(record.file) || !isUsableFolderName(record.folder)) {
        stay(record.file, StayReason::UnusableName, record.folder);
        return;
    }
    const QByteArray name = encodeName(record.file);
    // The file is looked at once where it should be, and in the selected folder only when it
    // cannot simply go back: never moved (it stayed at the move), already back from an undo cut
    // short, or its name taken.
    const auto isBack = [&] {
        struct stat here = {};
        return m_calls.lstat(m_folder.fd(), name.constData(), &here) == 0
            ? std::optional(record.isFile(here, m_stableIds))
            : std::nullopt;
    };
    const int sub = m_sub.open(m_folder.fd(), record.folder);
    struct stat there = {};
    if (sub < 0 || m_calls.lstat(sub, name.constData(), &there) != 0) {
        // A file the journal could not identify, and that is not there, never moved.
        if (isBack() != true && record.identity.known())
            stay(record.file, StayReason::NotInArtistFolder, record.folder);
        return;
    }
    if (!record.isFile(there, m_stableIds)) {
        if (isBack() != true)
            stay(record.file, StayReason::OtherFileNow, record.folder);
        return;
    }
    if (m_dryRun) {
        // Nothing stands at its old name: it would go back, as a move that succeeds.
        if (const std::optional<bool> back = isBack(); !back)
            settle(MoveResult(), record.folder, {}, record.file, StayReason::Refused);
        else if (!*back)
            stay(record.file, StayReason::TakenInFolder, record.folder);
        return;
    }
    const MoveResult result
        = moveNoReplaceAt(sub, name.constData(), m_folder.fd(), name.constData(), there, m_calls);
    // Back already, from an undo cut short.
    if (result.error == EEXIST && isBack() == true)
        return;
    const StayReason refused = result.error == EEXIST || result.error == ENOTEMPTY
        ? StayReason::TakenInFolder
        : result.error == ENOENT ? StayReason::NotInArtistFolder
                                 : StayReason::Refused;
    settle(result, record.folder, {}, record.file, refused);
}

void removeReservations(const ListedFolder &folder, const QList<JournalRecord> &records)
{
    const bool stableIds = stableIdentities(folder.fd());
    // A pass reserves an artist's names one after another: each folder is opened once for them.
    ArtistFolder sub;
    for (const JournalRecord &record : records) {
        const bool here = record.folder == QLatin1StringView(".");
        if (!record.reserved || !isPlainEntryName(record.file)
            || (!here && !isUsableFolderName(record.folder)))
            continue;
        const int dir = here ? folder.fd() : sub.open(folder.fd(), record.folder);
        const QByteArray name = encodeName(record.file);
        struct stat info = {};
        // Without hard links, one look is all these volumes allow before the removal.
        if (::fstatat(dir, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(info.st_mode) && info.st_size == 0 && record.isFile(info, stableIds))
            ::unlinkat(dir, name.constData(), 0);
    }
}

void removeLeftReservations(const ListedFolder &folder, const QString &journalDir)
{
    QByteArray text;
    qsizetype at = 0;
    if (lastPassOf(folder.id(), folder.path(), journalDir, text, {}, true) && parseHead(text, &at))
        removeReservations(folder, reservationsIn(text, at));
}

std::unique_ptr<UndoPass> nextUndo(
    const QString &folder, bool dryRun, PassTell tell, const QString &journalDir)
{
    QStringList passedOver;
    for (;;) {
        auto pass = std::make_unique<UndoPass>(ListedFolder(folder, std::nullopt), dryRun, tell,
            journalDir, MoveSyscalls::system(), passedOver);
        if (pass->busy())
            return pass;
        pass->step();
        const MoveSummary &summary = pass->summary();
        if (!pass->found() || summary.moved + summary.stayed.size() > 0)
            return pass;
        passedOver.append(pass->journalName());
    }
}

} // namespace arvelo
