#pragma once
// List images by which the jobs tell marked rows and show verify results.

#include "lists/ListImage.h"

namespace JobImages {

inline constexpr int kRestoreFile = kImageFileRestore;
inline constexpr int kBackupFile = kImageFileBackup;
inline constexpr int kRestoreArchive = kImageArchiveRestore;
inline constexpr int kBackupArchive = kImageArchiveBackup;
inline constexpr int kVerifyOk = kImageVerifyOk;
inline constexpr int kVerifyProblem = kImageVerifyFailed;
inline constexpr int kVerifyFile = kImageFileVerify;
inline constexpr int kVerifyArchive = kImageArchiveVerify;

}  // namespace JobImages
