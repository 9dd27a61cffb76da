#pragma once
// The drive block lengths the program works with: 1 to 2048 bytes. The
// transfer buffers are sized for the longest; a drive set to anything else
// is not supported.

inline constexpr int kMaxDriveBlockLength = 2048;
