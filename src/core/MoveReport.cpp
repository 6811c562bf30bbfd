#include "core/MoveReport.h"

#include "core/MovePass.h"
#include "core/NameCodec.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// Beyond this many, the files are only counted.
constexpr qsizetype NamedFiles = 10;

// In the order the reasons are listed.
constexpr std::array Reasons {StayReason::NameTaken, StayReason::ReadOnly,
    StayReason::FolderNotMade, StayReason::NotAFolder, StayReason::UnusableName,
    StayReason::LinkWouldBreak, StayReason::Vanished, StayReason::Refused,
    StayReason::LeftUnderTwoNames, StayReason::KeptAside, StayReason::NotJournaled,
    StayReason::TakenInFolder, StayReason::NotInArtistFolder, StayReason::OtherFileNow};

QString reasonText(StayReason reason)
{
    switch (reason) {
    case StayReason::NameTaken:
        return u"A file of that name is already in the artist's folder"_s;
    case StayReason::FolderNotMade:
        return u"The artist's folder could not be created"_s;
    case StayReason::NotAFolder:
        return u"A file or link stands where the artist's folder should be"_s;
    case StayReason::UnusableName:
        return u"The name cannot be used inside the selected folder"_s;
    case StayReason::Vanished:
        return u"The file was no longer there"_s;
    case StayReason::Refused:
        return u"The system refused to move the file"_s;
    case StayReason::LeftUnderTwoNames:
        return u"The move could not be finished nor undone, so the file now has two names"_s;
    case StayReason::KeptAside:
        return u"Another program saved a file under the old name meanwhile; it is kept under another name"_s;
    case StayReason::ReadOnly:
        return u"The folder is on a read-only medium"_s;
    case StayReason::LinkWouldBreak:
        return u"The file is a link that would break if moved"_s;
    case StayReason::NotJournaled:
        return u"The move could not be written down to be taken back later"_s;
    case StayReason::TakenInFolder:
        return u"A file of that name is in the selected folder"_s;
    case StayReason::NotInArtistFolder:
        return u"The file is no longer in the artist's folder"_s;
    case StayReason::OtherFileNow:
        return u"The file in the artist's folder is another file now"_s;
    }
    return {};
}

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
    for (const StayReason reason : Reasons) {
        const auto count = std::ranges::count(summary.stayed, reason, &StayedFile::reason);
        if (count > 0)
            lines.append(u"%1: %2"_s.arg(reasonText(reason)).arg(count));
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
