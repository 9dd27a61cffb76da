#pragma once
// What the program knows of the cartridge in a drive beyond what the drive
// says: for the virtual drive, the image file it works on and who holds it,
// so that a message can name them.

#include <string>
#include <vector>

struct CartridgeFacts {
    bool virtualDrive = false;
    // The image loaded, locked or missing; the folder of cartridges when it
    // holds none.
    std::string image;
    bool exists = false;
    bool readOnly = false;
    // Other processes that have the image open: "1234 (tapewren-cli)".
    std::vector<std::string> holders;
};

// adapter: the ASPI number of the selected adapter.
CartridgeFacts FactsFor(int adapter);

// The processes other than this one that have path open (those whose
// descriptors this user may look at).
std::vector<std::string> ProcessesHolding(const std::string& path);
