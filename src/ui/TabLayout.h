#pragma once
// The arrangement of the tab area for each of the four tabs: which controls
// show, the columns and roles of the two lists, and the default button.

#include <array>
#include <vector>

#include "lists/ListColumn.h"
#include "lists/Tab.h"

// What a list shows on a tab.
enum class ListRole { Hidden, DriveBrowser, TapeDirectory, DirectoryFiles };

class TabLayout {
public:
    // tab outside 0..3 is taken as Backup.
    static const TabLayout& For(int tab);

    // Every control the tab area consists of: hidden in every state but
    // ready, and shown or hidden by the tab when ready.
    static const std::vector<int>& AreaControls();

    bool Shows(int controlId) const;
    int defaultButton;
    ListRole leftRole;
    ListRole rightRole;
    std::vector<ListColumn> leftColumns;
    std::vector<ListColumn> rightColumns;
    // The characters a tape label may have on this tab before it is cut
    // (0: the tab shows no tape label).
    int tapeLabelLimit;
    std::vector<int> shown;
};
