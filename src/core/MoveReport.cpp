#include "core/MoveReport.h"

#include "core/MovePass.h"
#include "core/NameCodec.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// Beyond this many, the files are only counted.
constexpr qsizetype NamedFiles = 10;

// Each reason the user is told, in the order the reasons are listed.
struct Reason
{
    StayReason reason;
    const char16_t *text;
};
constexpr Reason Reasons[] = {
    {StayReason::NameTaken, u"A file of that name is already in the artist's folder"},
    {StayReason::ReadOnly, u"The folder is on a read-only medium"},
    {StayReason::FolderNotMade, u"The artist's folder could not be created"},
    {StayReason::NotAFolder, u"A file or link stands where the artist's folder should be"},
    {StayReason::UnusableName, u"The name cannot be used inside the selected folder"},
    {StayReason::LinkWouldBreak, u"The file is a link that would break if moved"},
    {StayReason::Vanished, u"The file was no longer there"},
    {StayReason::Refused, u"The system refused to move the file"},
    {StayReason::LeftUnderTwoNames,
        u"The move could not be finished nor undone, so the file now has two names"},
    {StayReason::KeptAside,
        u"Another program saved a file under the old name meanwhile; it is kept under another "
        u"name"},
    {StayReason::NotJournaled, u"The move could not be written down to be taken back later"},
    {StayReason::TakenInFolder, u"A file of that name is in the selected folder"},
    {StayReason::NotInArtistFolder, u"The file is no longer in the artist's folder"},
    {StayReason::OtherFileNow, u"The file in the artist's folder is another file now"},
};
// A reason left out here would go untold.
static_assert(std::size(Reasons) == std::size_t(StayReason::OtherFileNow) + 1);

} // namespace

QString moveReport(const MoveSummary &summary)
{
    const qsizetype stayed = summary.stayed.size();
    const QString notUpdated = summary.journalNotUpdated
        ? u"The record of this move could not be updated; it may be offered again."_s
        : QString();
    if (stayed == 0)
        return notUpdated;

    QStringList lines;
    lines.append(stayed == 1 ? u"1 file stayed where it was."_s
                             : u"%1 files stayed where they were."_s.arg(stayed));
    lines.append(QString());
    for (const Reason &reason : Reasons) {
        const auto count = std::ranges::count(summary.stayed, reason.reason, &StayedFile::reason);
        if (count > 0)
            lines.append(u"%1: %2"_s.arg(QString::fromUtf16(reason.text)).arg(count));
    }
    lines.append(QString());
    for (qsizetype i = 0; i < std::min(stayed, NamedFiles); ++i)
        lines.append(displayName(summary.stayed.at(i).file));
    if (stayed > NamedFiles)
        lines.append(u"and %1 more"_s.arg(stayed - NamedFiles));
    // Every file left under two names or kept aside is named with both, however many stayed:
    // nothing of it is lost, but the user has to know where its other name is.
    for (const StayedFile &file : summary.stayed) {
        if (file.reason == StayReason::LeftUnderTwoNames || file.reason == StayReason::KeptAside)
            lines.append((file.reason == StayReason::KeptAside ? u"\n%1 is kept as %2"_s
                                                               : u"\n%1 is also at %2"_s)
                             .arg(displayName(file.file), displayName(file.alsoAt)));
    }
    if (!notUpdated.isEmpty())
        lines.append(u'\n' + notUpdated);
    return lines.join(u'\n');
}

} // namespace arvelo
