#include "aspi/virtual/TapeAlert.h"

void TapeAlert::Set(int flag) {
    if (flag >= 1 && flag <= kFlags) bits_ |= std::uint64_t{1} << (flag - 1);
}

bool TapeAlert::IsSet(int flag) const {
    return flag >= 1 && flag <= kFlags && (bits_ & (std::uint64_t{1} << (flag - 1))) != 0;
}

void TapeAlert::TakePage(std::uint8_t* out) {
    constexpr std::size_t kBody = kPageLength - 4;
    out[0] = kPage;
    out[1] = 0;
    out[2] = static_cast<std::uint8_t>(kBody >> 8);
    out[3] = static_cast<std::uint8_t>(kBody);
    for (int flag = 1; flag <= kFlags; ++flag) {
        std::uint8_t* parameter = out + 4 + (flag - 1) * 5;
        parameter[0] = 0;  // parameter code = flag number
        parameter[1] = static_cast<std::uint8_t>(flag);
        parameter[2] = 0;  // control: current cumulative values, binary
        parameter[3] = 1;  // one byte follows
        parameter[4] = IsSet(flag) ? 1 : 0;
    }
    bits_ = 0;
}
