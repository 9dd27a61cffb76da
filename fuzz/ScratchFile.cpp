#include "ScratchFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string folder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

namespace ScratchFile {

std::string Path(const std::string& name) {
    if (folder.empty()) {
        // Memory-backed when the machine has it: the drive syncs its image
        // at every filemark and unload, which would dominate each run on disk.
        const char* tmp = std::getenv("TMPDIR");
        const bool shm = access("/dev/shm", W_OK) == 0;
        std::string pattern = std::string(shm ? "/dev/shm" : tmp && *tmp ? tmp : "/tmp") + "/tw-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = pattern;
        std::atexit(RemoveFolder);
    }
    return folder + "/" + name;
}

void Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < size;) {
        const ssize_t put = write(fd, data + done, size - done);
        ok = put > 0;
        if (ok) done += static_cast<std::size_t>(put);
    }
    if (fd < 0 || close(fd) != 0 || !ok) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::vector<std::uint8_t> Read(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0;
    std::uint8_t chunk[65536];
    for (ssize_t got = 1; ok && got > 0;) {
        got = read(fd, chunk, sizeof chunk);
        ok = got >= 0;
        if (got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (fd < 0 || close(fd) != 0 || !ok) {
        std::perror(path.c_str());
        std::abort();
    }
    return bytes;
}

}  // namespace ScratchFile
