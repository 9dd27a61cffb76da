#pragma once
// The temporary files a restore writes beside their final names before it
// renames them into place: ".tapewren-PID-N-" padded with '~' to 250 bytes,
// then ".part": 255 bytes, longer than any name a file record can carry (254),
// so that no record, restored in the same folder, can ever take the name of
// a temporary file or be taken for one.

#include <string>

namespace RestoreTemporaries {

inline constexpr std::size_t kNameLength = 255;

// The temporary name of number n of process pid, without a folder.
void Name(long pid, unsigned n, std::string& out);
// Whether name is a temporary name, and whose.
bool Parse(const std::string& name, long& pid);
// Removes from folder the temporary files of processes that no longer run
// (what a killed restore leaves). The number removed, or -1 when the folder
// cannot be read.
int RemoveStale(const std::string& folder);

}  // namespace RestoreTemporaries
