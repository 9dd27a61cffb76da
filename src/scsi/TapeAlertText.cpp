#include "scsi/TapeAlertText.h"

#include <cstdio>

namespace {

// Index: flag number - 1. Empty: a flag the drives mean for changers or
// leave unused.
constexpr const char* kMeanings[] = {
    "the drive has trouble reading the tape (read warning)",                   // 01h
    "the drive has trouble writing the tape (write warning)",                  // 02h
    "the last operation failed with an error it could not correct",           // 03h
    "the tape is damaged or worn: copy what it holds to another tape",        // 04h
    "the drive cannot read the tape",                                         // 05h
    "the drive cannot write the tape",                                        // 06h
    "the tape is at the end of its life: copy it and stop using it",          // 07h
    "the cartridge is not of data grade",                                     // 08h
    "the cartridge is write-protected",                                       // 09h
    "the cartridge cannot be taken out now",                                  // 0Ah
    "a cleaning cartridge is loaded",                                         // 0Bh
    "the cartridge's format is not supported by this drive",                  // 0Ch
    "the cartridge has a mechanical fault, the drive recovered",              // 0Dh
    "the cartridge has a mechanical fault: do not use it again",              // 0Eh
    "the cartridge's memory chip failed",                                     // 0Fh
    "the cartridge was taken out during an operation",                        // 10h
    "the cartridge is of a format this drive only reads",                     // 11h
    "the tape's directory was damaged and is being rebuilt",                  // 12h
    "the tape is near the end of its life",                                   // 13h
    "the drive needs cleaning now",                                           // 14h
    "the drive is due for its periodic cleaning",                             // 15h
    "the cleaning cartridge is used up",                                      // 16h
    "the cleaning cartridge is not valid",                                    // 17h
    "the tape should be retensioned",                                         // 18h
    "one of the drive's two ports failed",                                    // 19h
    "the drive's cooling fan failed",                                         // 1Ah
    "the drive's power supply failed",                                        // 1Bh
    "the drive uses more power than it should",                               // 1Ch
    "the drive needs maintenance",                                            // 1Dh
    "the drive has a hardware fault: switch it off and on again",             // 1Eh
    "the drive has a hardware fault: run its self-test",                      // 1Fh
    "the drive has a problem with its host interface",                        // 20h
    "the drive must unload the cartridge and be tried again",                 // 21h
    "a firmware update of the drive failed",                                  // 22h
    "the drive is too humid",                                                 // 23h
    "the drive is too hot",                                                   // 24h
    "the drive's supply voltage is out of range",                             // 25h
    "the drive predicts a hardware failure",                                  // 26h
    "the drive may have a hardware fault: run its extended diagnostics",      // 27h
    "", "", "", "", "", "", "",                                               // 28h-2Eh
    "", "", "",                                                               // 2Fh-31h
    "the drive lost its usage statistics of the cartridge",                   // 32h
    "the tape's directory was not written at the last unload",                // 33h
    "the drive could not write the tape's system area",                       // 34h
    "the drive could not read the tape's system area",                        // 35h
    "the start of data could not be found on the tape",                       // 36h
    "the cartridge could not be loaded",                                      // 37h
    "the cartridge could not be unloaded",                                    // 38h
    "the drive's automation interface failed",                                // 39h
    "the drive's firmware failed",                                            // 3Ah
    "the check of the WORM cartridge failed",                                 // 3Bh
    "a write over what is recorded on the WORM cartridge was refused",        // 3Ch
    "", "", "", "",                                                           // 3Dh-40h
};
static_assert(sizeof kMeanings / sizeof kMeanings[0] == 64, "one meaning per flag");

}  // namespace

std::string TapeAlertText(std::uint64_t flags) {
    std::string text;
    for (int flag = 1; flag <= 64; ++flag) {
        if (((flags >> (flag - 1)) & 1) == 0) continue;
        if (!text.empty()) text += "; ";
        const char* meaning = kMeanings[flag - 1];
        if (*meaning != '\0') {
            text += meaning;
        } else {
            char number[32];
            std::snprintf(number, sizeof number, "TapeAlert flag %02Xh", flag);
            text += number;
        }
    }
    return text;
}
