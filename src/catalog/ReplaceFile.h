#pragma once
// Writes a whole file in place of whatever stands under its name, without
// following a symbolic link there: the bytes go into a new file beside it,
// are put on the medium, and the new file is renamed over the name (a link
// under the name is replaced, its target untouched); then the folder is
// synced, so that the new name survives a crash too. A failure leaves the
// name as it was and no new file behind.

#include <cstddef>
#include <string>

inline constexpr int kReplaced = 0;
inline constexpr int kReplaceNotCreated = -1;  // the new file could not be made
inline constexpr int kReplaceNotWritten = -2;  // writing, syncing or renaming it failed

int ReplaceFile(const std::string& path, const void* data, std::size_t size);

// Puts the folder of path (its entries: a new or renamed name) on the
// medium. 0 or -1.
int SyncFolderOf(const std::string& path);
