#pragma once
// The virtual drive's sense of time, in milliseconds from an arbitrary start:
// how long a cartridge takes to become ready. Tests install a clock they move
// themselves (for example from the device layer's sleep), so waiting for the
// drive costs them nothing.

#include <cstdint>

using DriveClockFunction = std::uint64_t (*)();

std::uint64_t DriveClockMs();
// Installs f (nullptr restores the steady clock); returns the previous one.
DriveClockFunction SetDriveClock(DriveClockFunction f);
