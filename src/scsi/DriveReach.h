#pragma once
// Whether a drive answered a command at all: a drive that another program
// holds is busy; one that cannot be reached (no access to its node, the
// target gone, a time-out) did not answer, and its state is unknown.

enum class DriveReach { Answered, Busy, NoAnswer };
