#pragma once

#include "widgets/SortedListBox.h"

namespace arvelo {

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

} // namespace arvelo
