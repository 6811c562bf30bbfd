#include "core/ArtistFolders.h"

#include "core/ArtistName.h"
#include "core/FolderListing.h"

#include <QFile>

#include <algorithm>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// What stands at path, without following a final link; nothing when the name is free.
std::optional<bool> lstatIsFolder(const QString &path)
{
    struct stat info
    { };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return S_ISDIR(info.st_mode);
}

} // namespace

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool isPlainEntryName(const QString &name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/')
        && !name.contains(QChar(u'\0'));
}

bool isUsableFolderName(const QString &name)
{
    return isPlainEntryName(name) && !name.startsWith(u'.');
}

QString foldedName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

EntryIndex::EntryIndex(const QStringList &names)
{
    m_byFolded.reserve(names.size());
    for (const QString &name : names)
        add(name);
}

void EntryIndex::add(const QString &name)
{
    if (name.startsWith(u'.'))
        return;
    QStringList &same = m_byFolded[foldedName(name)];
    const auto at = std::lower_bound(same.begin(), same.end(), name);
    if (at == same.end() || *at != name)
        same.insert(at, name);
}

QStringList EntryIndex::foldMatches(const QString &name) const
{
    return m_byFolded.value(foldedName(name));
}

std::optional<FolderEntry> DiskFolders::findEntry(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name))
        return std::nullopt;
    if (const auto isFolder = lstatIsFolder(joinPath(folder, name)))
        return FolderEntry {name, *isFolder};

    // The listing may be older than the folder: only names that still stand there count,
    // and a folder is preferred to a file of the same folded name.
    std::optional<FolderEntry> found;
    const QStringList candidates = indexOf(folder).foldMatches(name);
    for (const QString &candidate : candidates) {
        const auto isFolder = lstatIsFolder(joinPath(folder, candidate));
        if (!isFolder)
            continue;
        if (*isFolder)
            return FolderEntry {candidate, true};
        if (!found)
            found = FolderEntry {candidate, false};
    }
    return found;
}

bool DiskFolders::createFolder(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name))
        return false;
    if (::mkdir(QFile::encodeName(joinPath(folder, name)).constData(), 0777) != 0)
        return false;
    indexOf(folder).add(name);
    return true;
}

MoveResult DiskFolders::moveNoReplace(const QString &from, const QString &to)
{
    return arvelo::moveNoReplace(from, to);
}

EntryIndex &DiskFolders::indexOf(const QString &folder)
{
    auto at = m_indexes.find(folder);
    if (at == m_indexes.end()) {
        QStringList names;
        for (const ListedEntry &entry : visibleEntries(folder).value_or(QList<ListedEntry>()))
            names.append(entry.name);
        at = m_indexes.insert(folder, EntryIndex(names));
    }
    return *at;
}

} // namespace arvelo
