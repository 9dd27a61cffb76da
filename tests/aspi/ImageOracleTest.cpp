// Images written by the drive, checked by independent readers: SIMH's mtdump
// for .tap, and Hercules' tapemap and hetupd (which rebuilds the canonical
// encoding; cmp must find no difference) for .aws. The tools write to their
// input, so they only ever see copies.

#include <cstdlib>

#include "VtapeHarness.h"
#include "support/RunTool.h"

namespace {

bool ToolPresent(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Item {
    bool filemark;
    std::uint32_t length;  // record length
    std::uint32_t count;   // records written by one command (fixed mode when > 1)
};

// Three files: a label-sized record, 64 fixed 1024-byte blocks and odd
// variable records, and records at the tools' 65535-byte ceiling.
const std::vector<Item> kTape = {
    {false, 80, 1},  {true, 0, 1},     {false, 1024, 64}, {false, 3, 1},  {false, 1, 1},
    {false, 4097, 1}, {true, 0, 1},    {false, 65535, 1}, {false, 65535, 1}, {true, 0, 1},
};

class VtapeOracle : public VtapeHarness {
protected:
    void WriteTape(const std::string& image) {
        Install(Config(image));
        for (const auto& item : kTape) {
            if (item.filemark) {
                ASSERT_TRUE(WriteFilemarks(1).Good());
            } else if (item.count > 1) {
                ASSERT_TRUE(SetBlockLength(item.length).Good());
                ASSERT_TRUE(WriteFixed(Blocks(item.count, item.length), item.count).Good());
                ASSERT_TRUE(SetBlockLength(0).Good());
            } else {
                ASSERT_TRUE(WriteRecord(Blocks(1, item.length, item.length)).Good());
            }
        }
        Install(std::vector<VirtualTapeConfig>{});  // unload: the file is complete and unlocked
    }
    std::string Copy(const std::string& from, const std::string& name) {
        const std::string to = Path(name);
        PutFile(to, FileBytes(from));
        return to;
    }
};

TEST_F(VtapeOracle, MtdumpReadsSimhImageObjectByObject) {
    ASSERT_TRUE(ToolPresent("mtdump")) << "mtdump is missing: install the Debian package simh";
    const std::string image = Path("t.tap");
    WriteTape(image);
    std::string expected = "Processing input file " + Path("copy.tap") + "\n";
    std::uint64_t position = 0;
    int object = 1, file = 1, record = 1;
    expected += "Processing tape file 1\n";
    for (std::size_t i = 0; i < kTape.size(); ++i) {
        const Item& item = kTape[i];
        for (std::uint32_t n = 0; n < item.count; ++n) {
            char line[160];
            if (item.filemark) {
                std::snprintf(line, sizeof line, "Obj %d, position %llu, end of tape file %d\n", object++,
                              static_cast<unsigned long long>(position), file++);
                position += 4;
                record = 1;
                expected += line;
                if (i + 1 < kTape.size()) expected += "Processing tape file " + std::to_string(file) + "\n";
            } else {
                std::snprintf(line, sizeof line, "Obj %d, position %llu, record %d, length = %u (0x%X)\n", object++,
                              static_cast<unsigned long long>(position), record++, item.length, item.length);
                position += 8 + item.length + (item.length & 1);
                expected += line;
            }
        }
    }
    expected += "End of physical tape\n";
    int status = 0;
    const std::string got = RunTool("mtdump " + Copy(image, "copy.tap") + " 2>&1", status);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(FileBytes(image).size(), position);
}

TEST_F(VtapeOracle, TapemapAndHetupdAcceptAwsImageByteForByte) {
    ASSERT_TRUE(ToolPresent("tapemap") && ToolPresent("hetupd"))
        << "tapemap or hetupd is missing: install the Debian package hercules";
    const std::string image = Path("t.aws");
    WriteTape(image);
    int status = 0;
    const std::string map = RunTool("tapemap " + Copy(image, "copy.aws") + " 2>/dev/null", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(map,
              "File 1: Blocks=1, block size min=80, max=80\n"
              "File 2: Blocks=67, block size min=1, max=4097\n"
              "File 3: Blocks=2, block size min=65535, max=65535\n"
              "End of tape.\n");
    const std::string rebuilt = Path("rebuilt.aws");
    RunTool("hetupd -d " + Copy(image, "copy2.aws") + " " + rebuilt + " 2>&1", status);
    ASSERT_EQ(status, 0) << "hetupd could not read the image";
    EXPECT_EQ(FileBytes(rebuilt), FileBytes(image)) << "hetupd's canonical encoding differs";
}

}  // namespace
