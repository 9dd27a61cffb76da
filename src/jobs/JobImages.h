#pragma once
// List images by which the jobs tell marked rows and show verify results.

namespace JobImages {

inline constexpr int kRestoreFile = 11;
inline constexpr int kBackupFile = 12;
inline constexpr int kRestoreArchive = 15;
inline constexpr int kBackupArchive = 16;
inline constexpr int kVerifyIdentical = 17;
inline constexpr int kVerifyProblem = 18;
inline constexpr int kVerifyFile = 19;
inline constexpr int kVerifyArchive = 20;

}  // namespace JobImages
