#pragma once
// A scratch folder tree for browser tests, removed afterwards. Paths are
// resolved (no links), as the browser reports them.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/NoonDate.h"

class BrowserTree {
public:
    BrowserTree() {
        char pattern[] = "/tmp/tw-browse-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        char resolved[PATH_MAX];
        if (realpath(pattern, resolved) != nullptr) root_ = resolved;
    }
    ~BrowserTree() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    BrowserTree(const BrowserTree&) = delete;
    BrowserTree& operator=(const BrowserTree&) = delete;

    // Without a trailing "/".
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

    void File(const std::string& relative, std::size_t size) const {
        std::ofstream out(Path(relative), std::ios::binary);
        out << std::string(size, 'x');
    }
    void Folder(const std::string& relative) const { std::filesystem::create_directories(Path(relative)); }
    // A file of `size` bytes with no data written (a hole).
    bool SparseFile(const std::string& relative, long long size) const {
        const int fd = open(Path(relative).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0) return false;
        const bool ok = ftruncate(fd, size) == 0;
        return close(fd) == 0 && ok;
    }
    // Last write time: noon local time of the given day.
    bool SetDate(const std::string& relative, int day, int month, int year) const {
        return SetNoonDate(Path(relative), day, month, year);
    }

private:
    std::string root_;
};
