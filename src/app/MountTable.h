#pragma once
// The drive entries of the browser: the mount points of filesystems that
// live on a block device (the source names a /dev node), read from a
// mount table in the kernel's format. proc, sysfs, tmpfs, overlay and the
// like have no such source and are left out; so are mount points that are
// not folders (single files bind-mounted into a container) and "/", which
// the browser always lists first.

#include <string>
#include <vector>

class MountTable {
public:
    // Mount points in the table's order, each once; empty when the table
    // cannot be read.
    static std::vector<std::string> DiskMountPoints(const std::string& mountsFile);
    // The table escapes blanks, tabs, newlines and backslashes as \ooo.
    static std::string Unescape(const std::string& field);
};
