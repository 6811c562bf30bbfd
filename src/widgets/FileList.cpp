#include "widgets/FileList.h"

#include "core/Drives.h"
#include "core/Lists.h"

namespace arvelo {

FileList::FileList(QWidget *parent)
    : SortedListBox(parent)
{ }

void FileList::setPath(const QString &path)
{
    m_path = absoluteClean(path);
    // A folder that cannot be read lists nothing.
    std::optional<ListedFiles> listed = listedFiles(m_path);
    m_folderId = listed ? listed->folder : FolderId();
    setItemsInOrder(listed ? std::move(listed->names) : QStringList());
}

} // namespace arvelo
