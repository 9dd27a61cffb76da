#pragma once
// The drive's 64 TapeAlert flags and the log page (2Eh) that reports them.
// Reading the page clears them, as on a real drive.

#include <cstddef>
#include <cstdint>

namespace TapeAlertFlag {
inline constexpr int HardError = 0x03;
inline constexpr int Media = 0x04;
inline constexpr int ReadFailure = 0x05;
inline constexpr int WriteFailure = 0x06;
inline constexpr int MediaLife = 0x07;
inline constexpr int CleanNow = 0x14;
inline constexpr int CleanPeriodic = 0x15;
}  // namespace TapeAlertFlag

class TapeAlert {
public:
    static constexpr int kFlags = 64;
    static constexpr std::uint8_t kPage = 0x2E;
    // Page header (4 bytes) and one 5-byte parameter per flag.
    static constexpr std::size_t kPageLength = 4 + kFlags * 5;

    // flag: 1 to 64.
    void Set(int flag);
    bool IsSet(int flag) const;
    // Writes the page into out (kPageLength bytes) and clears the flags.
    void TakePage(std::uint8_t* out);

private:
    std::uint64_t bits_ = 0;
};
