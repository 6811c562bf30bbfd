#include "grouping/ArtistSongs.h"

#include "filing/Module1.h"
#include "grouping/artist.h"

namespace arvelo {

QStringList songTitles(const QStringList &files, const QString &artist)
{
    QStringList titles;
    for (const QString &file : files) {
        if (Module1::BeautifyName(artistPart(file)) != artist)
            continue;
        if (const std::optional<QString> title = titlePart(file))
            titles.append(*title);
    }
    return titles;
}

} // namespace arvelo
