#include "synthetic.h"
#include "bench.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr std::array syllables {u"ka", u"lo", u"mi", u"ra", u"zen", u"quil", u"vel", u"to", u"sa",
    u"dor", u"ne", u"bru", u"fa", u"lin", u"ost", u"pe", u"gra", u"hu", u"jo", u"wen", u"ti",
    u"mar", u"cu", u"el"};
constexpr std::array extensions {u".mp3", u".mp3", u".mp3", u".mp3", u".flac", u".m4a", u".ogg"};

QString word(QRandomGenerator &random, int least, int most)
{
    QString result;
    const int count = random.bounded(least, most + 1);
    for (int k = 0; k < count; ++k)
        result += QString::fromUtf16(syllables[random.bounded(int(syllables.size()))]);
    result[0] = result.at(0).toUpper();
    return result;
}

// An artist as it would be written on its first record: one to three capitalised words.
QString artistName(QRandomGenerator &random)
{
    QStringList words;
    const int count = random.bounded(1, 4);
    for (int w = 0; w < count; ++w)
        words.append(word(random, 1, 3));
    return words.join(u' ');
}

// The same artist as a careless tagger might write it.
QString spelling(QRandomGenerator &random, const QString &artist)
{
    switch (random.bounded(12)) {
    case 0:
        return artist.toLower();
    case 1:
        return artist.toUpper();
    case 2:
        return QString(artist).replace(u' ', u"  "_s);
    case 3:
        return QString(artist).remove(u' ');
    case 4:
        return u' ' + artist;
    default:
        return artist;
    }
}

QString title(QRandomGenerator &random)
{
    QStringList words;
    const int count = random.bounded(1, 5);
    for (int w = 0; w < count; ++w)
        words.append(random.bounded(3) == 0 ? word(random, 1, 3).toLower() : word(random, 1, 3));
    return words.join(u' ');
}

QString extension(QRandomGenerator &random)
{
    return QString::fromUtf16(extensions[random.bounded(int(extensions.size()))]);
}

QString songName(QRandomGenerator &random, const QString &artist)
{
    // Mostly "Artist - Title", sometimes without blanks around the hyphen or with a live tag.
    const int form = random.bounded(10);
    QString name = spelling(random, artist) + (form == 0 ? u"-"_s : u" - "_s) + title(random);
    if (form == 1)
        name += u" - Live"_s;
    return name + extension(random);
}

} // namespace

SongFolder songFolder(qsizetype files, qsizetype folders, quint32 seed)
{
    QRandomGenerator random(seed);
    SongFolder result;
    QSet<QString> taken;
    taken.reserve(files + folders);
    QStringList artists;
    auto add = [&](QStringList &names, QString name) {
        // No two entries of a folder share a name: number the later one.
        for (int n = 2; taken.contains(name); ++n)
            name = name.section(u'.', 0, -2) + u" ("_s + QString::number(n) + u")"_s
                + extension(random);
        taken.insert(name);
        names.append(name);
    };

    result.files.reserve(files);
    while (result.files.size() < files) {
        const int kind = random.bounded(100);
        if (kind < 75) {
            const QString artist = artistName(random);
            artists.append(artist);
            const int songs = random.bounded(2, 21);
            for (int s = 0; s < songs && result.files.size() < files; ++s)
                add(result.files, songName(random, artist));
        } else if (kind < 92) {
            artists.append(artistName(random));
            add(result.files, songName(random, artists.last()));
        } else if (kind < 97) {
            add(result.files,
                u"Track "_s + QString::number(random.bounded(1, 100)) + u' ' + title(random)
                    + extension(random));
        } else {
            add(result.files, u"- "_s + title(random) + extension(random));
        }
    }

    while (result.folders.size() < folders) {
        const QString known = artists.isEmpty() ? artistName(random)
                                                : artists.at(random.bounded(int(artists.size())));
        QString name;
        switch (random.bounded(10)) {
        case 0:
            name = u".hidden "_s + QString::number(result.folders.size());
            break;
        case 1:
            name = known + u" - Live"_s;
            break;
        case 2:
            name = artistName(random);
            break;
        default:
            name = spelling(random, known);
            break;
        }
        if (!taken.contains(name)) {
            taken.insert(name);
            result.folders.append(name);
        }
    }
    return result;
}

std::unique_ptr<QTemporaryDir> makeSongFolder(qsizetype files, qsizetype folders, quint32 seed)
{
    auto folder = scratchFolder();
    makeEntries(folder->path(), songFolder(files, folders, seed));
    return folder;
}

void makeEntries(const QString &folder, const SongFolder &entries)
{
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dir < 0)
        qFatal("cannot open %s", qPrintable(folder));
    for (const QString &name : entries.files) {
        const int file = ::openat(dir, QFile::encodeName(name).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (file < 0)
            qFatal("cannot create %s", qPrintable(name));
        ::close(file);
    }
    for (const QString &name : entries.folders) {
        if (::mkdirat(dir, QFile::encodeName(name).constData(), 0777) != 0)
            qFatal("cannot create %s", qPrintable(name));
    }
    ::close(dir);
}

} // namespace bench
