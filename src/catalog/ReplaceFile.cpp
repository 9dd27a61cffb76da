#include "catalog/ReplaceFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "tape/LocalFile.h"

int SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = ::fsync(fd);
    return (::close(fd) == 0 && result == 0) ? 0 : -1;
}

int ReplaceFile(const std::string& path, const void* data, std::size_t size) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    // Hidden, beside the name (a rename does not cross file systems), and
    // named after this process so that two runs cannot meet.
    const std::string temporary =
        path.substr(0, nameAt) + "." + path.substr(nameAt) + ".tw-new-" + std::to_string(::getpid());
    // A leftover of a run that died under the same process number.
    ::unlink(temporary.c_str());
    LocalFile file;
    if (file.CreateNew(temporary) != 0) return kReplaceNotCreated;
    const bool written = file.Write(data, size) == 0 && file.Sync() == 0;
    if (file.Close() != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return kReplaceNotWritten;
    }
    return SyncFolderOf(path) == 0 ? kReplaced : kReplaceNotWritten;
}
