#include "widgets/FileList.h"

#include "core/Drives.h"
#include "core/FolderListing.h"

#include <QScrollBar>

namespace arvelo {

FileList::FileList(QWidget *parent)
    : SortedListBox(parent)
{ }

void FileList::setPath(const QString &path)
{
    m_path = absoluteClean(path);
    // A folder that cannot be read lists nothing.
    setItems(visibleFileNames(m_path).value_or(QStringList()));
}

void FileList::reread()
{
    const int selected = ListIndex();
    const QString name = selected < 0 ? QString() : List(selected);
    const int scrolled = verticalScrollBar()->value();
    setPath(m_path);
    if (selected >= 0)
        setListIndex(int(items().indexOf(name)));
    verticalScrollBar()->setValue(scrolled);
}

} // namespace arvelo
