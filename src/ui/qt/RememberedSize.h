#pragma once
// The main window's size between runs, kept in the user's settings
// (tapewren/tapewren.conf under the desktop's configuration folder).

#include <QSize>

class RememberedSize {
public:
    // The size the user left the window at, never smaller than minimum;
    // minimum when none was kept.
    static QSize Load(QSize minimum);
    static void Save(QSize size);
};
