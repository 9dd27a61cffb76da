#pragma once
// The progress part of the terminal's status line:
//   [##########----------]  50%  512.0 MiB/1.0 GiB  85.3 MB/s  0:06 left
// Written into a caller's buffer, so redrawing allocates nothing.

#include <cstddef>
#include <cstdint>

class ProgressText {
public:
    // rate: bytes per second, 0 when not known yet (then "--:-- left").
    // Returns the length written (the text is always terminated).
    static std::size_t Format(char* out, std::size_t size, std::int64_t done, std::int64_t total, double rate,
                              int barWidth);
    // "1023 B", "4.0 KiB", "1.5 MiB", "2.0 GiB".
    static std::size_t Bytes(char* out, std::size_t size, std::int64_t bytes);
    // "0:07", "12:34", "1:02:03".
    static std::size_t Duration(char* out, std::size_t size, std::int64_t seconds);
};
