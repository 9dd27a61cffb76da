#pragma once
// What the tab area shows: a notice while no usable drive is selected, the
// controls of the selected tab once one is.

#include <string>

enum class TabAreaState { Starting, NoTapeDevice, NotSupported, Ready };

inline constexpr const char* kStartingNotice = "-- select a tape device --";
