#pragma once

#include <QComboBox>

namespace arvelo {

// Drop-down of the drives, each shown by its root path.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    QString Drive() const;
    // Any path selects the drive it lies on; a change raises Change before returning.
    void setDrive(const QString &path);
    // Reads the drives again, keeping the current one; gives the drives listed.
    QStringList refresh();

    // Opening the drop-down reads the drives again, so a newly mounted one shows up.
    void showPopup() override;

signals:
    void Change();
};

} // namespace arvelo
