#pragma once
// A tape drive the conformance cases run against, and where it is known to
// part from what SSC says. The cases assert what the program relies on on
// every drive, and the exact sense data only where the drive follows SSC.

#include <memory>
#include <string>
#include <vector>

#include "scsi/DriveAddress.h"

struct DriveQuirks {
    // A READ at end of data answers BLANK CHECK, EOD detected (08/00/05).
    // tgt 1.0.85 answers MEDIUM ERROR, medium format corrupted (03/31/00).
    bool readAtEndOfDataIsBlankCheck = true;
    // SPACE over filemarks that meets end of data answers BLANK CHECK
    // (08/00/05). tgt answers NO SENSE with ASCQ 05 and no residue.
    bool spaceAtEndOfDataIsBlankCheck = true;
    // LOAD/UNLOAD with the load bit clear takes the tape out of the drive.
    // tgt treats it as START STOP UNIT and does nothing; the tape stays where
    // it was.
    bool unloadTakesTapeOut = true;
    // After an unload the drive loads its next cartridge (an autoloader).
    bool loadsNextAfterUnload = false;
    // LOG SENSE answers the tape capacity page (31h); a drive without it
    // refuses the page as an invalid field.
    bool reportsTapeCapacity = false;
};

// The built-in drive as it is by default, the same in its LTO-like
// personality, and tgt's tape emulation over iSCSI.
// Sg: a drive behind the kernel's SCSI generic driver, only when a run on
// purpose names its node in TAPEWREN_TEST_SG (scripts/vm-test.sh does, in a
// virtual machine) and TAPEWREN_TEST_SG_TAPE names a program that loads a
// fresh tape: called with "blank" or "protected".
enum class DriveKind { Virtual, Lto, Tgt, Sg };

class TestDrive {
public:
    virtual ~TestDrive() = default;

    // Installs the stand-in's adapters with a blank tape in a drive that has
    // just been switched on (block length 0), which may still want a careful
    // start (AwaitReady). False with error set when the drive cannot be had.
    virtual bool Prepare(bool writeProtected, std::string& error) = 0;
    virtual DriveAddress Address() const = 0;
    virtual DriveQuirks Quirks() const = 0;
    // A target on the same adapter with no device, and one with a device that
    // is not a tape drive (-1 when the drive has none).
    virtual int EmptyTarget() const = 0;
    virtual int OtherDeviceTarget() const = 0;

    // The image of the cartridge in a built-in drive; empty for tgt.
    virtual std::string ImageFile() const { return std::string(); }

    static std::unique_ptr<TestDrive> Make(DriveKind kind);
};

std::string DriveName(DriveKind kind);
// The kinds this run offers: the virtual drive and tgt, and Sg when named.
std::vector<DriveKind> DriveKinds();

// The device layer's sleep for these tests: no real wait, but the built-in
// drive's clock moves on by as much, so a cartridge becomes ready.
void TestSleep(unsigned milliseconds);

// How a careful initiator starts with a drive: TEST UNIT READY until it is
// ready, taking unit attentions, sleeping a second while the cartridge
// becomes ready and sending LOAD when the drive asks for one; then REQUEST
// SENSE, which must find nothing pending. Empty when the drive is ready,
// else what it said.
std::string AwaitReady(const DriveAddress& address);
