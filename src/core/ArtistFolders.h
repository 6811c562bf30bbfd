#pragma once

#include "core/ListedFolder.h"
#include "core/MoveNoReplace.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <QDeadlineTimer>

#include <cerrno>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <vector>

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

// Names of a folder's visible entries, reachable by their folded form. Compact, for folders of
// a million entries: the names as the folder gives them, one after another, and a table of
// their folded forms' hashes, sorted once the folder has been read. Only names that an artist
// folder could have are kept: none with the artist separator, which folding neither adds nor
// removes, so the songs themselves, nearly all of a folder, are left out.
class EntryIndex
{
public:
    // Room for about this many names of about this many bytes in all, so that reading a large
    // folder neither grows nor shrinks the index by copying it.
    void reserve(qsizetype entries, qsizetype bytes);
    // A name read from the folder, as bytes.
    void add(QByteArrayView name);
    // The folder has been read; names added from now on are those the pass made.
    void finish();
    void add(const QString &name);
    // Every indexed name that folds to the same form as `name`, in code-unit order.
    QStringList foldMatches(const QString &name) const;

private:
    QByteArray m_names; // each followed by a NUL
    // Folded form's hash and offset in m_names: 8 bytes a name, as a million of them are kept.
    std::vector<std::pair<quint32, quint32>> m_byHash;
    bool m_finished = false;
    QHash<QString, QStringList> m_made;
};

// A file of the selected folder as looked at once before its move, so that what is written down
// beforehand and what then moves are the same file. error is the look's, 0 when it succeeded.
struct LookedFile
{
    QByteArray name;
    int error = ENOTSUP;
    struct stat info
    { };
};

struct FolderEntry
{
    QString name;
    // A real directory; a link to one is not, so no move ever follows it out of the folder.
    bool isFolder = false;
};

// The little of the file system the move needs; tests can stand in for it. Every call names
// the selected folder; names are plain entry names inside it.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;

    // The visible entry of `folder` that is `name`: exactly that name, else one equal after
    // normalisation and case folding. Nothing when neither stands there.
    virtual std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) = 0;
    // False with errno set when the folder could not be made.
    virtual bool createFolder(const QString &folder, const QString &name) = 0;
    // Moves `file` of `folder` into its sub-folder `subFolder`, keeping its name. A link to a
    // relative target stays, since it would point elsewhere one folder down.
    virtual MoveResult moveInto(
        const QString &folder, const QString &file, const QString &subFolder)
        = 0;
    // Looks at `file` of `folder` for whoever writes the move down first; moveLooked then
    // takes only that file. Where there is no disk to look at, nothing is known.
    virtual LookedFile look(const QString &folder, const QString &file);
    virtual MoveResult moveLooked(const QString &folder, const LookedFile &file,
        const QString &fileName, const QString &subFolder);
    // Work done before the first lookup, in slices: true once ready. `entries` is about how
    // many entries `folder` holds, and `nameBytes` about how long their names are in all.
    virtual bool prepare(
        const QString &folder, qsizetype entries, qsizetype nameBytes, QDeadlineTimer deadline)
    {
        Q_UNUSED(folder);
        Q_UNUSED(entries);
        Q_UNUSED(nameBytes);
        Q_UNUSED(deadline);
        return true;
    }
    // Whether finding `name` needs prepare's work first. Not while an entry of exactly that
    // name stands there: most artist folders are found so, and their folder is never read.
    virtual bool needsPreparing(const QString &folder, const QString &name)
    {
        Q_UNUSED(folder);
        Q_UNUSED(name);
        return true;
    }
};

// The real file system, worked on through open folders: the selected folder is opened once,
// each artist folder once after it is found or made, and no name is resolved through a link,
// so nothing leaves the selected folder whatever happens to the names meanwhile. Use one
// object per pass, kept for all of its steps.
class DiskFolders final : public FolderAccess
{
public:
    explicit DiskFolders(const MoveSyscalls &calls = MoveSyscalls::system());
    // Works in the folder the files were listed from, already open; nothing is done when it has
    // changed since.
    explicit DiskFolders(ListedFolder folder, const MoveSyscalls &calls = MoveSyscalls::system());
    ~DiskFolders() override;
    DiskFolders(const DiskFolders &) = delete;
    DiskFolders &operator=(const DiskFolders &) = delete;

    std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) override;
    bool createFolder(const QString &folder, const QString &name) override;
    MoveResult moveInto(
        const QString &folder, const QString &file, const QString &subFolder) override;
    LookedFile look(const QString &folder, const QString &file) override;
    MoveResult moveLooked(const QString &folder, const LookedFile &file, const QString &fileName,
        const QString &subFolder) override;
    // Reads the folder's names into the index for lookups by folded name, in slices.
    bool prepare(const QString &folder, qsizetype entries, qsizetype nameBytes,
        QDeadlineTimer deadline) override;
    bool needsPreparing(const QString &folder, const QString &name) override;

private:
    // The open selected folder, or -1 with errno set.
    int folderFd(const QString &folder);
    // The open artist folder, or -1 with the error in m_subError.
    int subFolderFd(const QString &name);
    // What stands at name in the selected folder, without following a link.
    std::optional<bool> isFolderAt(const QString &name);
    EntryIndex &index();
    // What needsPreparing found standing at a name, for the lookup that follows it.
    std::optional<std::pair<QString, bool>> m_exact;

    MoveSyscalls m_calls;
    QString m_folder;
    int m_fd = -1;
    int m_folderError = 0;
    std::optional<EntryIndex> m_index;
    // The folder being read into the index, across slices.
    DIR *m_listing = nullptr;
    // The artist folder in use; the pass works through one artist at a time.
    QString m_subName;
    int m_subFd = -1;
    int m_subError = 0;
};

} // namespace arvelo
