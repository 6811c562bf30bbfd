#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace bench {

// The entries of a folder of songs as people keep them.
struct SongFolder
{
    // Artists with 2 to 20 songs whose names are spelt in varying case and blanks, single
    // songs, names without "-", names starting with "-"; all different.
    QStringList files;
    // Mostly named after artists that have songs, some "Artist - Live", some hidden.
    QStringList folders;
};

// The same seed gives the same names.
SongFolder songFolder(qsizetype files, qsizetype folders, quint32 seed = 1);

// A new scratch folder holding `files` empty song files and `folders` sub-folders.
std::unique_ptr<QTemporaryDir> makeSongFolder(qsizetype files, qsizetype folders, quint32 seed = 1);
// Makes the entries, as empty files and folders, in an existing folder.
void makeEntries(const QString &folder, const SongFolder &entries);

} // namespace bench
