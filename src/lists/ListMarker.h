#pragma once
// Marking in the left list: a marked row is one whose image is the tab's
// marked image for its kind (file or archive). Each operation returns the
// sum of the sizes (column 1) of the rows marked afterwards, so the caller
// keeps bytesTotal equal to it. Sizes are 64-bit.

#include <cstdint>

class ListModel;
struct ListRow;

class ListMarker {
public:
    // The marked images of a tab; both -1 on a tab without marks.
    struct Marks {
        int file;
        int archive;
    };
    static Marks For(int tab);

    // A click: the clicked (focused) row toggles, the rest of a multiple
    // selection is marked; on the Backup tab "." marks or unmarks every file
    // and archive and turns red or back to yellow, and unmarking one file
    // turns "." back to yellow.
    static std::int64_t Click(ListModel& list, int tab);
    // "All": every file and archive marked (Restore and Verify only).
    static std::int64_t MarkAll(ListModel& list, int tab);
    // "None": every marked row back to its unmarked image.
    static void UnmarkAll(ListModel& list, int tab);

    // Column 1 as a decimal number; 0 when it is none ("<Dir>").
    static std::int64_t SizeOf(const ListRow& row);
};
