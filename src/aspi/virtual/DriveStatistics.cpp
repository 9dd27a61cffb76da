#include "aspi/virtual/DriveStatistics.h"

#include <fcntl.h>
#include <unistd.h>

std::string DriveStatistics::Line() const {
    return "commands=" + std::to_string(commands) + " reads=" + std::to_string(reads) +
           " writes=" + std::to_string(writes) + " bytes_read=" + std::to_string(bytesRead) +
           " bytes_written=" + std::to_string(bytesWritten) + " filemarks=" + std::to_string(filemarks) +
           " flushes=" + std::to_string(flushes);
}

bool DriveStatistics::AppendTo(const std::string& path) const {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string text = Line() + "\n";
    // One write of a short line with O_APPEND: runs sharing the file do not mix lines.
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return close(fd) == 0 && written;
}
