#pragma once
// What a job tells its face while it runs, besides messages, status and
// progress: that the catalog it wrote can be shown again, that the target
// folder changed, that the drive's state may have changed, that the byte
// label can go. The window redraws its lists; the command line shows the
// drive's state; tests count.

#include <string>

class JobEvents {
public:
    virtual ~JobEvents() = default;

    // The catalog at path has new entries (after a backup).
    virtual void CatalogChanged(const std::string& path) = 0;
    // Restored files have been put in place.
    virtual void TargetFolderChanged() = 0;
    // The drive's state into the status line.
    virtual void ShowDriveStatus() = 0;
    // The label beside the progress bar is empty again.
    virtual void ClearByteLabel() = 0;
};
