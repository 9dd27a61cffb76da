// Linked into every test program: no test reaches a real drive. The
// program's adapters scan a sysfs tree that does not exist unless a test
// names its own in TAPEWREN_SYSFS, and opening a SCSI generic node
// (/dev/sg*) is refused and fails the running test. A run against a real
// drive on purpose names its node in TAPEWREN_TEST_SG: then the real sysfs
// is scanned and the nodes may be opened (the drive's and those beside it,
// such as a bridge's controller at LUN 0).

#undef _FORTIFY_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kNoSysfs = "/nonexistent/tapewren-test-sysfs";

struct FakeSysfs {
    FakeSysfs() {
        if (std::getenv("TAPEWREN_TEST_SG") == nullptr) setenv("TAPEWREN_SYSFS", kNoSysfs, 1);
    }
} fakeSysfs;

bool Refused(const char* path) {
    if (path == nullptr || std::strncmp(path, "/dev/sg", 7) != 0) return false;
    if (std::getenv("TAPEWREN_TEST_SG") != nullptr) return false;
    ADD_FAILURE() << "a test opened " << path
                  << ": tests must never reach a real drive (give the adapters a fake tree in TAPEWREN_SYSFS)";
    errno = EACCES;
    return true;
}

mode_t ModeOf(int flags, va_list& args) {
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return creates ? static_cast<mode_t>(va_arg(args, unsigned)) : 0;
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Refused(path)) return -1;
    static const OpenFunction real = Next<OpenFunction>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Refused(path)) return -1;
    static const OpenFunction real = Next<OpenFunction>("open64");
    return real(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Refused(path)) return -1;
    static const OpenAtFunction real = Next<OpenAtFunction>("openat");
    return real(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Refused(path)) return -1;
    static const OpenAtFunction real = Next<OpenAtFunction>("openat64");
    return real(dir, path, flags, mode);
}

}  // extern "C"
