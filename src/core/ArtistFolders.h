#pragma once

#include "core/ListedFolder.h"
#include "core/MoveNoReplace.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <QDeadlineTimer>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace arvelo {

// Folder path and name joined by one separator, also at the root.
QString joinPath(const QString &folder, const QString &name);

// A name that addresses an entry directly inside a folder: not empty, not "." or "..",
// no separator and no NUL. Anything else could reach outside the folder.
bool isPlainEntryName(const QString &name);

// A plain name that is also visible (no leading "."): the only names used for artist folders.
bool isUsableFolderName(const QString &name);

// The form in which a folder name is compared when no entry has exactly that name.
QString foldedName(const QString &name);

// Names of a folder's visible entries, by their folded form. Only names that an artist folder
// could have are kept: none with the artist separator, which folding neither adds nor removes,
// so the songs themselves, nearly all of a folder, are not even decoded.
class EntryIndex
{
public:
    // A name read from the folder, as bytes; hidden names are left out here.
    void add(QByteArrayView name);
    // A visible name, such as that of a folder the pass made.
    void add(const QString &name);
    // Every indexed name that folds to the same form as `name`, in code-unit order.
    QStringList foldMatches(const QString &name) const;

private:
    QHash<QString, QStringList> m_byFolded;
};

// A file of the selected folder as looked at once before its move, so that what is written down
// beforehand and what then moves are the same file. error is the look's, 0 when it succeeded.
struct LookedFile
{
    QByteArray name;
    int error = ENOTSUP;
    struct stat info = {};
    // A link to a relative target, which would point elsewhere one folder down: it stays.
    bool relativeLink = false;
};

// An artist folder of the selected folder, opened once for all the files that go into it or
// come back from it: a pass works through one artist at a time.
class ArtistFolder
{
public:
    // The folder `name` of the folder open as dir, unless it is the one open already; -1 with
    // the error in error() when it cannot be opened.
    int open(int dir, const QString &name);
    const QString &name() const { return m_name; }
    int error() const { return m_error; }

private:
    QString m_name;
    UniqueFd m_fd;
    int m_error = 0;
};

struct FolderEntry
{
    QString name;
    // A real directory; a link to one is not, so no move ever follows it out of the folder.
    bool isFolder = false;
};

// What a pass does in the one folder it serves; names are plain entry names inside it. Tests
// stand in for it, and the dry run records instead of acting.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;

    // The visible entry that is `name`: exactly that name, else one equal after normalisation
    // and case folding; no entry when neither stands there. Not ready when the folder's names
    // had to be read for it and the deadline passed first: ask again.
    struct Found
    {
        bool ready = true;
        std::optional<FolderEntry> entry;
    };
    virtual Found findEntry(const QString &name, QDeadlineTimer deadline) = 0;
    // 0 once the folder is made, else why not (an errno).
    virtual int makeFolder(const QString &name) = 0;
    // Looks at `file` for whoever writes the move down first; move then takes only that file.
    virtual LookedFile look(const QString &file) = 0;
    // Moves the file looked at into the sub-folder, keeping its name.
    virtual MoveResult move(const LookedFile &file, const QString &subFolder) = 0;
};

// The real file system, worked on through open folders: the selected folder as it was opened
// for the pass, each artist folder once after it is found or made, and no name is resolved
// through a link, so nothing leaves the selected folder whatever happens to the names meanwhile.
class DiskFolders : public FolderAccess
{
public:
    // Told of each empty file made to reserve a name in an artist folder, before anything else
    // happens to it.
    using Reserved = std::function<void(const struct stat &, const QString &, QByteArrayView)>;

    explicit DiskFolders(ListedFolder folder, const MoveSyscalls &calls = MoveSyscalls::system(),
        Reserved reserved = {});
    DiskFolders(const DiskFolders &) = delete;
    DiskFolders &operator=(const DiskFolders &) = delete;

    Found findEntry(const QString &name, QDeadlineTimer deadline) override;
    int makeFolder(const QString &name) override;
    LookedFile look(const QString &file) override;
    MoveResult move(const LookedFile &file, const QString &subFolder) override;

protected:
    // The open selected folder, or -1.
    int folderFd() const { return m_folder.fd(); }
    // Names of the folder, also those the pass made, found by their folded form.
    EntryIndex &index();
    // The artist folder in use.
    ArtistFolder m_sub;
    // Whether a folder or something else stands at name in the selected folder, without
    // following a link; nothing when nothing does.
    virtual std::optional<bool> isFolderAt(const QString &name);

private:
    // Reads the folder's names into the index, in slices: true once done.
    bool prepare(QDeadlineTimer deadline);

    MoveSyscalls m_calls;
    ListedFolder m_folder;
    std::optional<EntryIndex> m_index;
    // The folder being read into the index, across slices.
    Listing m_listing;
};

// The move as it would go now, made on nothing: artist folders are found as the disk has them,
// the ones the move would create are only noted, and then found as if they stood there, and a
// file would move when its name is free in its artist folder and both folders can be written.
// A MovePass run on it is the move's plan.
class PlannedFolders final : public DiskFolders
{
public:
    using DiskFolders::DiskFolders;

    int makeFolder(const QString &name) override;
    MoveResult move(const LookedFile &file, const QString &subFolder) override;

private:
    std::optional<bool> isFolderAt(const QString &name) override;

    // The folders the move would create.
    QSet<QString> m_planned;
};

} // namespace arvelo
