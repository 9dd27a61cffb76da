#pragma once
// Where "Import/Export Directory File from/to Floppy" copy: the removable
// medium the desktop mounted for the user (the first folder, by name, under
// /media/$USER, then under /run/media/$USER), else the floppy folder
// ($TAPEWREN_FLOPPY, else /media/floppy0). $TAPEWREN_MEDIA, a list of
// folders separated by ':', stands for the two media folders (tests and
// unusual desktops). Looked up per command, as a stick is per insertion.

#include <string>
#include <vector>

// The folders under which the desktop mounts the user's removable media.
std::vector<std::string> UserMediaRoots();
// The first folder under the first of mediaRoots that has one; else the
// floppy folder of startDirectory.
std::string CatalogCopyFolder(const std::string& startDirectory, const std::vector<std::string>& mediaRoots);
std::string CatalogCopyFolder(const std::string& startDirectory);
