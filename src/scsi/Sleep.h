#pragma once
// Every pause the device layer takes (the 1 ms poll, the 500 ms retry pause,
// the 3 ms between mode senses) goes through here, so tests can count the
// pauses instead of waiting for them.

using SleepFunction = void (*)(unsigned milliseconds);

void SleepMs(unsigned milliseconds);
// Installs f (nullptr restores the real sleep); returns the previous one.
SleepFunction SetSleepFunction(SleepFunction f);
