#pragma once

#include "core/FolderListing.h"
#include "widgets/SortedListBox.h"

namespace arvelo {

// The non-hidden files of one folder, sorted; read again when its path is set or on reread.
class FileList : public SortedListBox
{
    Q_OBJECT
public:
    using SortedListBox::SortedListBox;

    QString Path() const { return m_path; }
    void setPath(const QString &path);
    // Lists the same folder afresh, keeping the selected name and the scrolled place; never
    // another folder that has taken its path.
    void reread();
    // The folder the files were read from, so a scan or a move can tell it is still the same.
    FileId folderId() const { return m_folderId; }

private:
    void showListed(std::optional<ListedFiles> listed);

    QString m_path;
    FileId m_folderId;
};

} // namespace arvelo
