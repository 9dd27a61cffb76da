#pragma once
// What the program knows of the cartridge in a drive beyond what the drive
// says, so that a message can name it: for the virtual drive, the image file
// it works on and who holds it; for a drive reached through the SCSI
// generic driver, its node, who holds it, and why the last command could
// not be sent to it.

#include <string>
#include <vector>

struct CartridgeFacts {
    bool virtualDrive = false;
    // The image loaded, locked or missing; the folder of cartridges when it
    // holds none.
    std::string image;
    bool exists = false;
    bool readOnly = false;
    // Other processes that have the image (or the node) open: "1234 (tapewren-cli)".
    std::vector<std::string> holders;
    // The loaded cartridge's capacity and the bytes its image takes up to
    // the end of data; -1 where unknown.
    long long capacity = -1;
    long long used = -1;

    // SCSI generic drives.
    std::string node;     // "/dev/sg1"
    std::string address;  // "0:0:0:1"
    int error = 0;        // errno of the last failed open or SG_IO, 0 for none
    // The kernel's state of the device ("running", "offline",
    // "transport-offline"), empty when the kernel no longer has it.
    std::string state;
};

// adapter: the ASPI number of the selected adapter; target: the selected
// target.
CartridgeFacts FactsFor(int adapter, int target = 0);
// The image (or folder of cartridges) of the virtual drive at that adapter,
// without the look at every process that FactsFor takes; empty for any
// other adapter.
std::string VirtualImage(int adapter);

// The drive at that adapter is the virtual drive with a folder of
// cartridges: an eject loads the next one.
bool VirtualAutoloader(int adapter);

// The processes other than this one that have path open (those whose
// descriptors this user may look at).
std::vector<std::string> ProcessesHolding(const std::string& path);
