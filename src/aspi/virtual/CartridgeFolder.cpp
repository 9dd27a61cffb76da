#include "aspi/virtual/CartridgeFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "aspi/virtual/VirtualTapeConfig.h"

namespace {

bool CreateBlank(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    return close(fd) == 0;
}

bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

constexpr const char* kLoadedNote = "/.loaded";

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CartridgeFolder::CartridgeFolder(std::string source, bool isFolder, bool createFolder)
    : source_(std::move(source)), isFolder_(isFolder), createFolder_(createFolder) {}

bool CartridgeFolder::List(std::vector<std::string>& names) const {
    names.clear();
    DIR* dir = opendir(source_.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || !VirtualTapeConfig::IsImageName(name)) continue;
        struct stat info {};
        if (stat((source_ + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

void CartridgeFolder::RememberLoaded(const std::string& path) const {
    const std::string note = source_ + kLoadedNote;
    const std::string temporary = note + ".new";
    const std::string text = BaseName(path) + "\n";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (close(fd) != 0 || !written || rename(temporary.c_str(), note.c_str()) != 0) unlink(temporary.c_str());
}

std::string CartridgeFolder::RememberedLoaded(const std::vector<std::string>& names) const {
    char text[256];
    const int fd = open((source_ + kLoadedNote).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string();
    const ssize_t length = read(fd, text, sizeof text - 1);
    close(fd);
    if (length <= 0) return std::string();
    std::string name(text, static_cast<std::size_t>(length));
    if (name.back() == '\n') name.pop_back();
    // Only a cartridge that is still in the magazine.
    if (!std::binary_search(names.begin(), names.end(), name)) return std::string();
    return name;
}

std::string CartridgeFolder::MakeBlank(const std::string& after) {
    // tape01.tap, tape02.tap, ...: the first free name that sorts after the
    // last cartridge, so the magazine order stays the order of making.
    for (int number = 1; number < 100000; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "tape%02d.tap", number);
        if (!after.empty() && std::string(name) <= after) continue;
        const std::string path = source_ + "/" + name;
        if (CreateBlank(path)) return path;
        if (errno != EEXIST) return std::string();
    }
    const std::string stem = after.substr(0, after.size() - 4);
    for (int number = 1; number < 100000; ++number) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_%02d.tap", number);
        const std::string path = source_ + "/" + stem + suffix;
        if (CreateBlank(path)) return path;
        if (errno != EEXIST) return std::string();
    }
    return std::string();
}

std::string CartridgeFolder::First() {
    if (!isFolder_) {
        struct stat info {};
        if (stat(source_.c_str(), &info) == 0) return source_;
        return CreateBlank(source_) ? source_ : std::string();
    }
    if (createFolder_ && !MakeFolders(source_)) return std::string();
    std::vector<std::string> names;
    if (!List(names)) return std::string();
    if (names.empty()) return MakeBlank(std::string());
    const std::string remembered = RememberedLoaded(names);
    return source_ + "/" + (remembered.empty() ? names.front() : remembered);
}

std::string CartridgeFolder::After(const std::string& current) {
    if (!isFolder_) return std::string();
    std::vector<std::string> names;
    if (!List(names)) return std::string();
    const std::string name = BaseName(current);
    const auto next = std::upper_bound(names.begin(), names.end(), name);
    const std::string path =
        next != names.end() ? source_ + "/" + *next : MakeBlank(names.empty() ? name : std::max(name, names.back()));
    if (!path.empty()) RememberLoaded(path);
    return path;
}
