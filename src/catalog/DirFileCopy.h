#pragma once
// Copies whole directory files, byte for byte and under the same file name,
// from the start directory to the floppy folder and back. Asks before it
// replaces a file. The copy goes to a temporary file in the destination
// folder, is put on the medium and then renamed over the destination, so a
// failed or interrupted copy never leaves a cut-short directory file where a
// good one stood. The catalog's sums file (SumFile) goes with it, or, when
// it has none, the one at the destination is removed. One 64 KiB buffer,
// allocated with the object.

#include <cstdint>
#include <memory>
#include <string>

#include "report/MessageSink.h"
#include "tape/LocalFile.h"

inline constexpr int kCopyDone = 0;
inline constexpr int kCopySourceUnreadable = -1;
inline constexpr int kCopyDeclined = -2;
inline constexpr int kCopyDestinationUnwritable = -3;

class DirFileCopy {
public:
    // messages: for the overwrite questions.
    DirFileCopy(MessageSink& messages, std::string startDirectory, std::string floppyFolder);
    DirFileCopy(const DirFileCopy&) = delete;
    DirFileCopy& operator=(const DirFileCopy&) = delete;

    // Copies the file at hardDrivePath into the floppy folder. kCopy* result.
    int CopyToFloppy(const std::string& hardDrivePath);
    // Copies the file at floppyPath into the start directory. kCopy* result.
    int CopyToHardDrive(const std::string& floppyPath);

    const std::string& StartDirectory() const { return startDirectory_; }
    const std::string& Floppy() const { return floppyFolder_; }

    static constexpr std::size_t kBufferSize = 64 * 1024;

private:
    // toFloppy: the question names the file as it stands on the floppy;
    // otherwise it names the whole destination path without its leading "/".
    int Copy(const std::string& source, const std::string& folder, bool toFloppy);
    // Copies the rest of in to destination in folder through a temporary
    // file named after name; kCopy* result.
    int Place(LocalFile& in, const std::string& folder, const std::string& name, const std::string& destination);
    // Writes the rest of source into a new file at temporary and puts it on
    // the medium; kCopy* result. The temporary file is gone after a failure.
    int WriteCopy(LocalFile& source, const std::string& temporary);

    MessageSink& messages_;
    const std::string startDirectory_;
    const std::string floppyFolder_;
    std::unique_ptr<std::uint8_t[]> buffer_;
};
