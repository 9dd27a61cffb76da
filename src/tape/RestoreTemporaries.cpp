#include "tape/RestoreTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kPrefix[] = ".tapewren-";
constexpr char kSuffix[] = ".part";
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;

bool EndsWithSuffix(const std::string& name) {
    return name.size() > kPrefixLength + kSuffixLength &&
           name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) == 0;
}

bool Runs(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; }

}  // namespace

namespace RestoreTemporaries {

void Name(long pid, unsigned n, std::string& out) {
    char head[64];
    std::snprintf(head, sizeof head, "%s%ld-%u-", kPrefix, pid, n);
    out.assign(head);
    out.append(kNameLength - out.size() - kSuffixLength, '~');
    out.append(kSuffix);
}

bool Parse(const std::string& name, long& pid) {
    if (name.compare(0, kPrefixLength, kPrefix) != 0 || !EndsWithSuffix(name)) return false;
    const char* digits = name.c_str() + kPrefixLength;
    char* end = nullptr;
    errno = 0;
    pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || errno != 0 || pid <= 0) return false;
    // The counter, then either the padding of this version's names or, in
    // the short names earlier versions wrote, the suffix at once.
    const char* counter = end + 1;
    const char* rest = counter;
    while (*rest >= '0' && *rest <= '9') ++rest;
    if (rest == counter) return false;
    if (std::strcmp(rest, kSuffix) == 0) return true;
    if (*rest != '-' || name.size() != kNameLength) return false;
    for (++rest; *rest == '~'; ++rest) {
    }
    return std::strcmp(rest, kSuffix) == 0;
}

int RemoveStale(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return -1;
    }
    int removed = 0;
    std::string name;
    while (const dirent* entry = ::readdir(dir)) {
        name.assign(entry->d_name);
        long pid = 0;
        if (!Parse(name, pid) || Runs(pid)) continue;
        if (::unlinkat(fd, name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace RestoreTemporaries
