#pragma once

#include "core/MoveNoReplace.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

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

// Names of a folder's visible entries, reachable by their folded form.
class EntryIndex
{
public:
    EntryIndex() = default;
    explicit EntryIndex(const QStringList &names);

    void add(const QString &name);
    // Every indexed name that folds to the same form as `name`, in code-unit order.
    QStringList foldMatches(const QString &name) const;

private:
    QHash<QString, QStringList> m_byFolded;
};

struct FolderEntry
{
    QString name;
    // A real directory; a link to one is not, so no move ever follows it out of the folder.
    bool isFolder = false;
};

// The little of the file system the move needs; tests can stand in for it.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;

    // The visible entry of `folder` that is `name`: exactly that name, else one equal after
    // normalisation and case folding. Nothing when neither stands there.
    virtual std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) = 0;
    virtual bool createFolder(const QString &folder, const QString &name) = 0;
    virtual MoveResult moveNoReplace(const QString &from, const QString &to) = 0;
};

// The real file system. Each folder is listed once, at its first look-up, and kept up to
// date with the folders created here; use one object per pass.
class DiskFolders final : public FolderAccess
{
public:
    std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) override;
    bool createFolder(const QString &folder, const QString &name) override;
    MoveResult moveNoReplace(const QString &from, const QString &to) override;

private:
    EntryIndex &indexOf(const QString &folder);

    QHash<QString, EntryIndex> m_indexes;
};

} // namespace arvelo
