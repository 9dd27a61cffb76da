#include "ui/WindowHost.h"

#include "ui/DriveStatusLine.h"
#include "ui/ListViews.h"

void WindowHost::ShowDriveStatus() { driveStatus_.Show(); }

void WindowHost::ShowDirectoryFiles() { views_.ShowDirectoryFiles(); }
