#include "widgets/FileList.h"

#include "core/Drives.h"
#include "core/FolderListing.h"

namespace arvelo {

FileList::FileList(QWidget *parent)
    : SortedListBox(parent)
{ }

void FileList::setPath(const QString &path)
{
    m_path = absoluteClean(path);
    // A folder that cannot be read lists nothing.
    std::optional<ListedFiles> listed = listFiles(m_path);
    m_folderId = listed ? listed->folder : FolderId();
    setItems(listed ? std::move(listed->names) : QStringList());
}

} // namespace arvelo
