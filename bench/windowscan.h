#pragma once

#include "core/ArtistScan.h"
#include "widgets/FileList.h"

namespace bench {

// The scan's work as Form1 does it, with the file list already filled: the work list and the
// artist list, from the folder and the file list.
inline void windowScan(
    const arvelo::FileList &file1, arvelo::SortedListBox &list3, arvelo::SortedListBox &list1)
{
    list1.Clear();
    list3.Clear();
    const arvelo::ListedFolder listed(file1.Path(), file1.folderId());
    std::optional<arvelo::ScanOutcome> outcome
        = arvelo::scanFolder(listed, file1.items(), true, {});
    if (!outcome)
        qFatal("the bench folder could not be scanned");
    list3.setItemsInOrder(std::move(outcome->workList));
    list1.setItemsInOrder(std::move(outcome->artists));
}

} // namespace bench
