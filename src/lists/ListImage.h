#pragma once
// Image numbers of the 21-image strip that the two lists use. A row's image
// is both its kind and its mark.

enum ListImage : int {
    kImageDrive = 3,
    kImageFolder = 6,        // also "." while not everything is marked
    kImageGreenFolder = 7,   // entered like a folder; nothing assigns it
    kImageRedFolder = 8,     // "." once everything was marked through it
    kImageFile = 10,
    kImageFileRestore = 11,
    kImageFileBackup = 12,
    kImageDirFile = 13,      // also the "<Up>" row of a catalog view
    kImageArchive = 14,
    kImageArchiveRestore = 15,
    kImageArchiveBackup = 16,
    kImageVerifyOk = 17,     // verify results: identical
    kImageVerifyFailed = 18,  // verify results: different or not found
    kImageFileVerify = 19,
    kImageArchiveVerify = 20,
};
