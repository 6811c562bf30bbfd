#pragma once

#include "app/SortedListBox.h"

#include <QComboBox>
#include <QListWidget>

#include <memory>

namespace arvelo {

// Where the drive list learns which drives exist; tests substitute their own.
class VolumeSource
{
public:
    virtual ~VolumeSource() = default;
    // Root paths of the mounted volumes.
    virtual QStringList roots() const = 0;
};

class SystemVolumes final : public VolumeSource
{
public:
    QStringList roots() const override;
};

// The drive root of a path: the longest volume root that is a prefix of it.
QString driveOf(const QString &path, const QStringList &roots);

// Drop-down of the drives (mounted volumes), each shown by its root path.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    void setVolumeSource(std::shared_ptr<const VolumeSource> source);
    QString Drive() const;
    // Any path selects the drive it lies on; a change raises Change before returning.
    void setDrive(const QString &path);
    void refresh();

signals:
    void Change();

private:
    std::shared_ptr<const VolumeSource> m_source;
};

// The chain of folders from the drive root down to the current folder, then its sub-folders.
class FolderList : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Shows the folder; a change raises Change before returning.
    void setPath(const QString &path);

signals:
    void Change();

private:
    void openRow(int row);

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
