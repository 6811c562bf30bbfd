#pragma once

#include "app/SortedListBox.h"

#include <QComboBox>
#include <QListWidget>

#include <memory>
#include <stdexcept>

namespace arvelo {

// Which drives (mounted volumes) exist and whether one can be used. The drive list and the
// folder list ask the same source, so tests can offer drives that are missing.
class VolumeSource
{
public:
    virtual ~VolumeSource() = default;
    // Root paths of the mounted volumes.
    virtual QStringList roots() const = 0;
    // A drive is usable when its root is a folder that can be read.
    virtual bool isAvailable(const QString &root) const;

    // The source that new drive and folder lists start with; null puts the system's back.
    static std::shared_ptr<const VolumeSource> standard();
    static void setStandard(std::shared_ptr<const VolumeSource> source);
};

class SystemVolumes final : public VolumeSource
{
public:
    QStringList roots() const override;
};

// Raised when a folder is asked for on a drive that is missing or cannot be read.
class DriveNotAvailable : public std::runtime_error
{
public:
    explicit DriveNotAvailable(const QString &drive);
};

// What the user is told when a drive cannot be used.
QString driveNotAvailableMessage();

// The drive root of a path: the longest volume root that is a prefix of it, or empty.
QString driveOf(const QString &path, const QStringList &roots);

// Drop-down of the drives, each shown by its root path.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    void setVolumeSource(std::shared_ptr<const VolumeSource> source);
    QString Drive() const;
    // Any path selects the drive it lies on; a change raises Change before returning.
    void setDrive(const QString &path);
    // Reads the drives again, keeping the current one.
    void refresh();

    // Opening the drop-down reads the drives again, so a newly mounted one shows up.
    void showPopup() override;

signals:
    void Change();

private:
    std::shared_ptr<const VolumeSource> m_source = VolumeSource::standard();
};

// The chain of folders from the drive's root down to the current folder, then its
// non-hidden sub-folders. Double-click or Enter on an entry opens it.
class FolderList : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    void setVolumeSource(std::shared_ptr<const VolumeSource> source);
    QString Path() const { return m_path; }
    // Shows the folder, or its nearest existing parent; a drive's root path keeps the folder
    // shown when that lies on the drive. Throws DriveNotAvailable, changing nothing, when the
    // drive is missing or unreadable. A change raises Change before returning.
    void setPath(const QString &path);
    // Full path of the folder an entry stands for.
    QString folderAt(int row) const;

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openRow(int row);
    void showFolder(const QString &folder, const QString &drive);

    std::shared_ptr<const VolumeSource> m_source = VolumeSource::standard();
    QString m_path;
};

// The non-hidden files of one folder, sorted; read again only when its path is set.
class FileList : public SortedListBox
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    void setPath(const QString &path);

private:
    QString m_path;
};

// Names of the non-hidden regular files (and links to files) of a folder, unsorted.
QStringList visibleFileNames(const QString &folder);

} // namespace arvelo
