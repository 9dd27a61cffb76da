#pragma once
// A host adapter behind the ASPI stand-in: a 16-character identifier and
// targets 0 to 7, each answered at LUN 0.

#include <string>

class ScsiExec;

class HostAdapter {
public:
    virtual ~HostAdapter() = default;

    // Up to 16 characters; the stand-in pads it with blanks.
    virtual std::string Identifier() const = 0;
    // What the adapter reaches, for a person choosing a drive: long enough
    // to tell two drives apart (maker, product, serial number, device node).
    virtual std::string Name() const { return Identifier(); }
    // Peripheral device type (0 to 31) of target 0..7 at LUN 0, or -1 when
    // no device answers there.
    virtual int DeviceType(int target) = 0;
    // Carry out one command for a target that DeviceType reported present;
    // must call one of exec's Finish functions exactly once.
    virtual void Execute(int target, ScsiExec& exec) = 0;
};
