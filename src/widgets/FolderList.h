#pragma once

#include <QListWidget>

namespace arvelo {

// The chain of folders from the drive's root down to the current folder, then its
// non-hidden sub-folders. Double-click or Enter on an entry opens it.
class FolderList : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Shows the folder, or its nearest existing parent; a drive's root path keeps the folder
    // shown when that lies on the drive. False, changing nothing, when the drive is missing or
    // unreadable. A change raises Change before returning.
    [[nodiscard]] bool setPath(const QString &path);
    // Lists the same folder afresh, keeping the entry under the cursor and the scrolled place;
    // a folder gone meanwhile gives way to its nearest parent, as setPath does.
    void reread();
    // Full path of the folder an entry stands for.
    QString folderAt(int row) const;

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openRow(int row);
    void showFolder(const QString &folder, const QString &drive);
    QString m_path;
};

} // namespace arvelo
