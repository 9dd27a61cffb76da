#pragma once
// The texts of a job's summary: how long it took and how fast it moved data.

#include <cstdint>
#include <string>

// "0 days, 01 h, 02 min, 05 sec" for 3725 seconds.
std::string DurationText(std::int64_t seconds);

// KByte (1024 bytes) per minute with 7 significant digits: fixed-point for
// rates from 0.1 to below 10 million ("4096.", "1234.568", "0.25"), otherwise
// exponential with a three-digit exponent ("5.e-002", "1.5e+007"); trailing
// zeros after the point are dropped, the point stays. A time of 0 seconds has
// no rate: the text is "n.a.".
std::string RateText(std::int64_t bytes, std::int64_t seconds);
