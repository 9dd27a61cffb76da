#pragma once
// The main window's four tabs by number. A tab decides which images mark a
// row and which job START runs.

enum Tab : int { kBackupTab = 0, kRestoreTab = 1, kVerifyTab = 2, kUtilitiesTab = 3 };
inline constexpr int kTabCount = 4;
