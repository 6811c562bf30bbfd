#include "core/ArtistSongs.h"

#include "core/ListOrder.h"

#include "core/ArtistName.h"
#include "core/Module1.h"

namespace arvelo {

namespace {

// A cheap first look: the beautified form starts with the first non-blank character of the
// artist part, upper-cased. Most files of a large folder fail here without any allocation.
bool mayBeautifyTo(QStringView part, const QString &artist)
{
    qsizetype first = 0;
    while (first < part.size() && part.at(first) == Blank)
        ++first;
    if (first == part.size())
        return artist.isEmpty();
    if (artist.isEmpty())
        return false;
    const QChar head = part.at(first);
    // A surrogate pair is left to the full comparison.
    return head.isSurrogate() || head.toUpper() == artist.front();
}

} // namespace

QStringList songTitles(const QStringList &files, const QString &artist)
{
    QStringList titles;
    for (const QString &file : files) {
        const qsizetype cut = file.indexOf(Separator);
        const QStringView part = QStringView(file).left(cut < 0 ? file.size() : cut);
        if (!mayBeautifyTo(part, artist) || Module1::BeautifyName(part.toString()) != artist)
            continue;
        if (const std::optional<QString> title = titlePart(file))
            titles.append(*title);
    }
    return titles;
}

QStringList songList(const QStringList &files, const QString &artist)
{
    QStringList titles = songTitles(files, artist);
    ListOrder().sort(titles);
    return titles;
}

} // namespace arvelo
