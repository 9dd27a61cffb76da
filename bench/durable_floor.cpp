// The least work a backup can do that puts every file and then its catalog
// entry on disk before going on: each file of FOLDER (in name order) is
// appended to IMAGE and made durable with fdatasync, then one catalog
// entry's 286 bytes are appended to CATALOG and made durable the same way.
// jobs_vs_tar.sh times it beside the backup job.
//   durable_floor FOLDER IMAGE CATALOG
// Exit status 0, or 1 with a line on standard error.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
constexpr std::size_t kEntryBytes = 286;

bool WriteAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

bool CopyInto(const std::string& path, int image, std::vector<char>& buffer) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (!WriteAll(image, buffer.data(), static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER IMAGE CATALOG\n", argv[0]);
        return 2;
    }
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], error))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    if (error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());

    const int image = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int catalog = ::open(argv[3], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (image < 0 || catalog < 0) {
        std::fprintf(stderr, "cannot create %s or %s: %s\n", argv[2], argv[3], std::strerror(errno));
        return 1;
    }
    std::vector<char> buffer(kBufferBytes);
    const std::vector<char> entry(kEntryBytes, 'e');
    for (const std::string& file : files) {
        if (!CopyInto(file, image, buffer) || ::fdatasync(image) != 0 ||
            !WriteAll(catalog, entry.data(), entry.size()) || ::fdatasync(catalog) != 0) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), std::strerror(errno));
            return 1;
        }
    }
    return ::close(image) == 0 && ::close(catalog) == 0 ? 0 : 1;
}
