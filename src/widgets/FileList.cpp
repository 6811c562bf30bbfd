#include "widgets/FileList.h"

#include "core/Drives.h"

#include <QScrollBar>

namespace arvelo {

void FileList::setPath(const QString &path)
{
    m_path = absoluteClean(path);
    showListed(listFiles(m_path));
}

void FileList::showListed(std::optional<ListedFiles> listed)
{
    // A folder that cannot be read lists nothing.
    m_folderId = listed ? listed->folder : FileId();
    setItemsInOrder(listed ? std::move(listed->names) : QStringList());
}

void FileList::reread()
{
    std::optional<ListedFiles> listed = listFiles(m_path);
    // A re-read never changes which folder the list stands for: when the path leads to another
    // folder now, that folder is not shown, and the next Scan or Move says so.
    if (listed && m_folderId.known() && listed->folder != m_folderId) {
        setItemsInOrder({});
        return;
    }
    const int selected = ListIndex();
    const QString name = selected < 0 ? QString() : List(selected);
    const int scrolled = verticalScrollBar()->value();
    showListed(std::move(listed));
    if (selected >= 0)
        setListIndex(int(items().indexOf(name)));
    verticalScrollBar()->setValue(scrolled);
}

} // namespace arvelo
