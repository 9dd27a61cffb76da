#include "app/DriveBrowser.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "app/MountTable.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"

namespace {

// Sort groups: drives below 2^24, folders from 2^24, files from 2 * 2^24.
// A name key lies within +-2^23, so the groups never overlap.
constexpr std::int64_t kFolderGroup = 1 << 24;
constexpr std::int64_t kFileGroup = 2 * kFolderGroup;

bool EndsWith(const std::string& name, const char* tail) {
    const std::string_view t(tail);
    return name.size() >= t.size() && name.compare(name.size() - t.size(), t.size(), t) == 0;
}

std::string DayText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    return std::to_string(local.tm_mday) + "." + std::to_string(local.tm_mon + 1) + "." +
           std::to_string(local.tm_year + 1900);
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

DriveBrowser::DriveBrowser(MessageSink& messages, std::string mountsFile)
    : messages_(messages), mountsFile_(std::move(mountsFile)) {}

std::int32_t DriveBrowser::NameKey(const std::string& name) {
    auto at = [&name](std::size_t i) -> std::int32_t {
        return i < name.size() ? static_cast<std::int32_t>(static_cast<signed char>(name[i])) : 0;
    };
    return at(0) * 65536 + at(1) * 256 + at(2);
}

int DriveBrowser::Fill(ListModel& list, const std::string& directory, const std::string& pattern) {
    std::string wanted = !directory.empty() && directory.front() == '/' ? directory : currentPath_ + directory;
    // Resolves "..", links and the like as entering the folder would; the
    // folder must exist and be readable to count as entered.
    char resolved[PATH_MAX];
    std::unique_ptr<DIR, DirCloser> dir;
    if (realpath(wanted.c_str(), resolved) != nullptr) dir.reset(opendir(resolved));
    if (!dir) {
        messages_.ShowMessage(MessageId::ChangeDirError);
        return -1;
    }

    list.ClearRows();
    currentPath_ = resolved;
    if (currentPath_.back() != '/') currentPath_ += '/';
    const bool everything = pattern == "*.*";
    if (everything) AddDrives(list);

    // Names in byte order first, so equal sort keys come out the same way on
    // every file system.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        // A filesystem root has no "." or ".." entry to show.
        if (currentPath_ == "/" && (name == "." || name == "..")) continue;
        if (!everything && fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());

    const int fd = dirfd(dir.get());
    for (const std::string& name : names) {
        struct stat info {};
        if (fstatat(fd, name.c_str(), &info, 0) != 0 && fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const std::string date = DayText(info.st_mtime);
        ListRow row;
        if (S_ISDIR(info.st_mode)) {
            row.texts = {name, "<Dir>", date};
            row.image = kImageFolder;
            row.data = kFolderGroup + NameKey(name.front() == '.' ? std::string("   ") : name);
        } else if (EndsWith(name, "twd")) {
            row.texts = {name.substr(0, name.size() >= 4 ? name.size() - 4 : 0), "<TapeDir>", date};
            row.image = kImageDirFile;
            row.data = kFileGroup + NameKey(name);
        } else {
            row.texts = {name, std::to_string(static_cast<long long>(info.st_size)), date};
            row.image = EndsWith(name, "zip") ? kImageArchive : kImageFile;
            row.data = kFileGroup + NameKey(name);
        }
        list.AddRow(std::move(row));
    }
    list.SortByData();
    return 0;
}

void DriveBrowser::AddDrives(ListModel& list) const {
    std::vector<std::string> drives = {"/"};
    for (auto& point : MountTable::DiskMountPoints(mountsFile_)) drives.push_back(std::move(point));
    std::int64_t order = 0;
    for (const auto& drive : drives) {
        if (order + 1 >= kFolderGroup) break;
        list.AddRow({{drive, "<Drive>", ""}, kImageDrive, order++});
    }
}
