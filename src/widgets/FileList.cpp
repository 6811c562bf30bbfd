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
    setItemsInOrder(listedFiles(m_path).value_or(QStringList()));
}

} // namespace arvelo
