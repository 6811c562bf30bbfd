#include "widgets/FileList.h"

#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
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
    std::optional<ListedFiles> listed = listFiles(m_path);
    m_folderId = listed ? listed->folder : FileId();
    setItemsInOrder(listed ? std::move(listed->names) : QStringList());
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
