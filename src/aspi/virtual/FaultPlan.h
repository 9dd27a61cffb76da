#pragma once
// Faults to inject at chosen commands, parsed from a list such as
// "write#40=recovered,read#3=cleaning,write#100=reset,read#7=medium,
// write#50=deferred,any#9=alert:7". "write#40" is the 40th WRITE the drive
// carries out (commands answered with a unit attention, NOT READY or a
// deferred error are not counted); "any" counts every such command but
// INQUIRY and REQUEST SENSE, which faults never touch.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class FaultCommand { Any, TestUnitReady, Read, Write, WriteFilemarks, Space, Rewind, LoadUnload, ModeSense,
                          ModeSelect, Count };

// What is due at one command.
struct DueFaults {
    bool recovered = false;  // completed, then RECOVERED ERROR
    bool cleaning = false;   // completed, then NO SENSE 00/17 and the clean-now flag
    bool reset = false;      // UNIT ATTENTION 29/00 instead of the command
    bool medium = false;     // MEDIUM ERROR instead of the command
    bool deferred = false;   // a buffered write that fails later: GOOD now, the error on the next command
    std::uint64_t alerts = 0;  // TapeAlert flags to set, bit n-1 for flag n

    bool None() const { return !recovered && !cleaning && !reset && !medium && !deferred && alerts == 0; }
};

class FaultPlan {
public:
    // False with problem set (a sentence naming the bad entry) when text is
    // not a valid list; an empty text is an empty plan.
    static bool Parse(const std::string& text, FaultPlan& plan, std::string& problem);

    bool Empty() const { return faults_.empty(); }
    // Counts one more command of that kind and returns what is due at it.
    DueFaults Next(FaultCommand command);

private:
    enum class Kind { Recovered, Cleaning, Reset, Medium, Deferred, Alert };
    struct Fault {
        FaultCommand command;
        std::uint64_t number;
        Kind kind;
        int flag;  // Alert only
    };
    static void Add(const Fault& fault, DueFaults& due);

    std::vector<Fault> faults_;
    std::array<std::uint64_t, static_cast<std::size_t>(FaultCommand::Count)> counts_{};
};
