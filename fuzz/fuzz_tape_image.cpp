// The virtual drive's image reader on arbitrary images, SIMH or AWS: loads,
// scans, reads, spaces and writes must never crash, and a cartridge whose
// index holds the fewest runs allowed must answer every command exactly as
// one that forgets nothing, leaving the same bytes behind.
//
// Input: byte 0 picks the format (bit 0 set: AWS), then kCommands pairs of
// (operation, argument), then the image.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ScratchFile.h"
#include "aspi/virtual/Cartridge.h"
#include "aspi/virtual/VirtualTapeConfig.h"

namespace {

constexpr std::size_t kCommands = 12;
constexpr std::size_t kBuffer = 1 << 17;
constexpr std::uint32_t kLargeRecord = 70000;  // more than one AWS segment

void Require(bool condition) {
    if (!condition) std::abort();
}

bool Same(const TapeOutcome& a, const TapeOutcome& b) {
    return a.event == b.event && a.done == b.done && a.recordLength == b.recordLength;
}

// Bytes a read put into its buffer.
std::size_t Delivered(const TapeOutcome& outcome, bool fixed, std::uint32_t length, std::uint32_t maxLength) {
    if (fixed) return static_cast<std::size_t>(outcome.done) * length;
    return outcome.done == 1 ? std::min(maxLength, outcome.recordLength) : 0;
}

struct Drive {
    std::unique_ptr<Cartridge> cartridge;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kBuffer);
};

TapeOutcome Run(Cartridge& c, std::uint8_t op, std::uint8_t arg, std::uint8_t* buffer, const std::uint8_t* source) {
    const auto signedArg = static_cast<std::int8_t>(arg);
    switch (op % 9) {
    case 0: return c.ReadVariable(buffer, arg == 255 ? 65536 : 1 + arg * 64u);
    case 1: return c.Read(buffer, 1 + (arg & 15), 1 + (arg >> 4) * 5u);
    case 2: return c.SpaceBlocks(signedArg);
    case 3: return c.SpaceFilemarks(signedArg);
    case 4: return c.SpaceToEnd();
    case 5: c.Rewind(); return {};
    case 6: return c.Write(source, 1 + (arg & 3), 1 + (arg >> 2));
    case 7: return c.WriteFilemarks(arg & 3);
    default: return c.Write(source, 1, kLargeRecord);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + 2 * kCommands) return 0;
    static const std::vector<std::uint8_t> source = [] {
        std::vector<std::uint8_t> bytes(kLargeRecord);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return bytes;
    }();
    const char* extension = (data[0] & 1) ? ".aws" : ".tap";
    const std::string paths[2] = {ScratchFile::Path(std::string("forgetful") + extension),
                                  ScratchFile::Path(std::string("full") + extension)};
    const std::uint8_t* script = data + 1;
    const std::uint8_t* image = script + 2 * kCommands;
    const std::size_t imageSize = size - 1 - 2 * kCommands;
    const VirtualTapeConfig config;
    const std::size_t limits[2] = {TapeIndex::kMinRuns, config.indexRuns};
    static Drive drives[2];
    for (int d = 0; d < 2; ++d) {
        ScratchFile::Put(paths[d], image, imageSize);
        Require(Cartridge::Open(paths[d], config.capacity, config.earlyWarning, drives[d].cartridge, limits[d]) ==
                Cartridge::OpenResult::Loaded);
    }
    for (std::size_t i = 0; i < kCommands; ++i) {
        const std::uint8_t op = script[2 * i];
        const std::uint8_t arg = script[2 * i + 1];
        TapeOutcome outcome[2];
        for (int d = 0; d < 2; ++d)
            outcome[d] = Run(*drives[d].cartridge, op, arg, drives[d].buffer.data(), source.data());
        Require(Same(outcome[0], outcome[1]));
        const bool fixed = op % 9 == 1;
        if (op % 9 <= 1) {
            const std::size_t n = Delivered(outcome[0], fixed, 1 + (arg >> 4) * 5u,
                                            arg == 255 ? 65536 : 1 + arg * 64u);
            Require(std::memcmp(drives[0].buffer.data(), drives[1].buffer.data(), n) == 0);
        }
        for (int d = 0; d < 2; ++d) Require(drives[d].cartridge->Index().HeldRuns() <= limits[d]);
    }
    for (auto& drive : drives) drive.cartridge.reset();
    // Whatever was written went to the same places.
    const std::vector<std::uint8_t> contents[2] = {ScratchFile::Read(paths[0]), ScratchFile::Read(paths[1])};
    Require(contents[0] == contents[1]);
    return 0;
}
