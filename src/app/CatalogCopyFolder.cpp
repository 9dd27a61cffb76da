#include "app/CatalogCopyFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "catalog/FloppyFolder.h"

namespace {

std::string UserName() {
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr) return entry->pw_name;
    return {};
}

// The first subfolder of root by name; empty when it has none or cannot be read.
std::string FirstFolder(const std::string& root) {
    std::error_code error;
    std::filesystem::directory_iterator it(root, error);
    std::vector<std::string> names;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        if (it->is_directory(kindError)) names.push_back(it->path().filename().string());
    }
    if (names.empty()) return {};
    return root + (root.ends_with('/') ? "" : "/") + *std::min_element(names.begin(), names.end());
}

}  // namespace

std::vector<std::string> UserMediaRoots() {
    std::vector<std::string> roots;
    if (const char* media = std::getenv("TAPEWREN_MEDIA"); media != nullptr) {
        const std::string list = media;
        std::size_t from = 0;
        while (from <= list.size()) {
            const std::size_t to = std::min(list.find(':', from), list.size());
            if (to > from) roots.push_back(list.substr(from, to - from));
            from = to + 1;
        }
        return roots;
    }
    const std::string user = UserName();
    if (user.empty()) return roots;
    return {"/media/" + user, "/run/media/" + user};
}

std::string CatalogCopyFolder(const std::string& startDirectory, const std::vector<std::string>& mediaRoots) {
    for (const std::string& root : mediaRoots)
        if (std::string folder = FirstFolder(root); !folder.empty()) return folder;
    return FloppyFolder(startDirectory);
}

std::string CatalogCopyFolder(const std::string& startDirectory) {
    return CatalogCopyFolder(startDirectory, UserMediaRoots());
}
