// The drive as a device: identification, mode parameters, readiness,
// unknown commands, cartridges coming and going, and image ownership.

#include <fcntl.h>
#include <sys/file.h>

#include "VtapeHarness.h"

namespace {

using VtapeDevice = VtapeHarness;

TEST_F(VtapeDevice, AdapterShowsOneTapeDriveAtTargetZero) {
    InstallImage("t.tap");
    SRB_HAInquiry inquiry{};
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    ASSERT_EQ(SendASPI32Command(&inquiry), SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_Identifier), 16), "VIRTUAL TAPE    ");
    for (BYTE target = 0; target < 8; ++target) {
        SRB_GDEVBlock device{};
        device.SRB_Cmd = SC_GET_DEV_TYPE;
        device.SRB_Target = target;
        const DWORD status = SendASPI32Command(&device);
        if (target == 0) {
            EXPECT_EQ(status, SS_COMP);
            EXPECT_EQ(device.SRB_DeviceType, 1);
        } else {
            EXPECT_EQ(status, SS_NO_DEVICE) << int(target);
        }
    }
}

TEST_F(VtapeDevice, InquiryHonoursAllocationLengthAndBuffer) {
    InstallImage("t.tap");
    BYTE data[64];
    std::memset(data, 0xEE, sizeof data);
    // The program asks for 96 bytes into a 32-byte request buffer.
    ASSERT_TRUE(Exec({0x12, 0, 0, 0, 96, 0}, SRB_DIR_IN, data, 32).Good());
    EXPECT_EQ(data[0], 0x01);
    EXPECT_EQ(data[1] & 0x80, 0x80);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 23), "VIRTUAL TAPE DRIVE     ");
    EXPECT_EQ(data[32], 0xEE) << "wrote past the request's buffer";
    std::memset(data, 0xEE, sizeof data);
    ASSERT_TRUE(Exec({0x12, 0, 0, 0, 5, 0}, SRB_DIR_IN, data, sizeof data).Good());
    EXPECT_EQ(data[4], 91);
    EXPECT_EQ(data[5], 0xEE) << "wrote past the allocation length";
}

TEST_F(VtapeDevice, ModeSenseDescribesCartridgeAndBlockLength) {
    InstallImage("t.tap", 100ull << 20);
    auto mode = ModeSense();
    EXPECT_NE(mode.mediumType, 0);
    EXPECT_EQ(mode.blockLength, 0) << "starts in variable-block mode";
    EXPECT_EQ(mode.blockCount, (100 << 20) / 512);
    EXPECT_EQ(mode.deviceSpecific & 0x80, 0);
    ASSERT_TRUE(SetBlockLength(1024).Good());
    mode = ModeSense();
    EXPECT_EQ(mode.blockLength, 1024);
    EXPECT_EQ(mode.blockCount, (100 << 20) / 1024);
    // Back to variable blocks, and the largest fixed length.
    ASSERT_TRUE(SetBlockLength(0).Good());
    EXPECT_EQ(ModeSense().blockLength, 0);
    ASSERT_TRUE(SetBlockLength(0xFFFFFF).Good());
    EXPECT_EQ(ModeSense().blockLength, 0xFFFFFF);
}

TEST_F(VtapeDevice, ModeSenseHonoursAllocationLength) {
    InstallImage("t.tap");
    BYTE data[32];
    std::memset(data, 0xEE, sizeof data);
    ASSERT_TRUE(Exec({0x1A, 0, 0, 0, 12, 0}, SRB_DIR_IN, data, sizeof data).Good());
    EXPECT_EQ(data[0], 11);
    EXPECT_EQ(data[3], 8);
    EXPECT_EQ(data[12], 0xEE);
}

TEST_F(VtapeDevice, ModeSelectRejectsMalformedParameterLists) {
    InstallImage("t.tap");
    BYTE list[32] = {0, 0, 0, 4};
    EXPECT_EQ(Exec({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, list, sizeof list).Triple(), "05/26/00");
    list[3] = 8;
    EXPECT_EQ(Exec({0x15, 0x10, 0, 0, 10, 0}, SRB_DIR_OUT, list, sizeof list).Triple(), "05/1A/00");
    EXPECT_EQ(Exec({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, list, 8).Triple(), "05/1A/00")
        << "list longer than the buffer";
    EXPECT_EQ(ModeSense().blockLength, 0);
}

TEST_F(VtapeDevice, UnknownOpcodeAndBadFieldsAreIllegalRequest) {
    InstallImage("t.tap");
    EXPECT_EQ(Exec({0x2B, 0, 0, 0, 0, 0}).Triple(), "05/20/00");
    EXPECT_EQ(Exec({0xFF, 0, 0, 0, 0, 0}).Triple(), "05/20/00");
    EXPECT_EQ(Space(2, 1).Triple(), "05/24/00");
    EXPECT_EQ(Exec({0x10, 0x02, 0, 0, 1, 0}).Triple(), "05/24/00");  // setmarks
    BYTE data[32];
    EXPECT_EQ(Exec({0x12, 1, 0x80, 0, 32, 0}, SRB_DIR_IN, data, sizeof data).Triple(), "05/24/00");
    EXPECT_EQ(Exec({0x1A, 0, 0x10, 0, 32, 0}, SRB_DIR_IN, data, sizeof data).Triple(), "05/24/00");
    EXPECT_TRUE(TestUnitReady().Good()) << "nothing sticks after an illegal request";
}

TEST_F(VtapeDevice, ReadBlockLimitsAllowsAnyRecordUpTo24Bits) {
    InstallImage("t.tap");
    BYTE data[6] = {};
    ASSERT_TRUE(Exec({0x05, 0, 0, 0, 0, 0}, SRB_DIR_IN, data, sizeof data).Good());
    EXPECT_EQ((data[1] << 16) | (data[2] << 8) | data[3], 0xFFFFFF);
    EXPECT_EQ((data[4] << 8) | data[5], 1);
}

TEST_F(VtapeDevice, MissingFolderGivesNotReadyDrive) {
    Install(Config(Path("no/such/folder")));
    const auto r = TestUnitReady();
    EXPECT_EQ(r.Triple(), "02/3A/00");
    const auto mode = ModeSense();
    EXPECT_EQ(mode.mediumType, 0);
    EXPECT_EQ(mode.blockCount, 0);
    std::vector<BYTE> in(16);
    EXPECT_EQ(ReadRecord(in).Triple(), "02/3A/00");
    EXPECT_EQ(Load().Triple(), "02/3A/00");
    EXPECT_EQ(Unload().Triple(), "02/3A/00");
}

TEST_F(VtapeDevice, UnloadOfSingleImageLeavesDriveEmptyUntilLoad) {
    InstallImage("t.aws");
    ASSERT_TRUE(WriteRecord(Blocks(1, 40)).Good());
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "02/3A/00");
    EXPECT_EQ(ModeSense().mediumType, 0);
    ASSERT_TRUE(Load().Good());
    ASSERT_TRUE(TestUnitReady().Good());
    std::vector<BYTE> in(40);
    ASSERT_TRUE(ReadRecord(in).Good()) << "a loaded cartridge stands at its beginning";
    EXPECT_EQ(in, Blocks(1, 40));
    // LOAD on a loaded cartridge rewinds it.
    ASSERT_TRUE(Load().Good());
    ASSERT_TRUE(ReadRecord(in).Good());
}

TEST_F(VtapeDevice, AutoloaderMakesBlankCartridgesAndLoadsTheNext) {
    const std::string folder = Path("magazine");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    Install(Config(folder));
    ASSERT_NE(Drive().Loaded(), nullptr);
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/tape01.tap");
    ASSERT_TRUE(WriteRecord(Blocks(1, 10)).Good());
    ASSERT_TRUE(Unload().Good());
    ASSERT_NE(Drive().Loaded(), nullptr);
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/tape02.tap");
    std::vector<BYTE> in(10);
    EXPECT_EQ(ReadRecord(in).Triple(), "08/00/05") << "a new cartridge is blank";
    EXPECT_EQ(FileBytes(folder + "/tape01.tap").size(), 18u) << "the ejected one kept its data";
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/tape03.tap");
}

TEST_F(VtapeDevice, AutoloaderTakesCartridgesInNameOrder) {
    const std::string folder = Path("magazine");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    PutFile(folder + "/b.aws", {});
    PutFile(folder + "/a.tap", {});
    PutFile(folder + "/notes.txt", {1, 2, 3});
    Install(Config(folder));
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/a.tap");
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/b.aws");
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/tape01.tap");
}

TEST_F(VtapeDevice, AutoloaderKeepsItsPlaceForTheNextRun) {
    const std::string folder = Path("magazine");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    PutFile(folder + "/a.tap", {});
    PutFile(folder + "/b.tap", {});
    PutFile(folder + "/c.tap", {});
    Install(Config(folder));
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/b.tap");
    // A new drive over the same folder, as the next run of the program has.
    Install(Config(folder));
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/b.tap");
    // A remembered cartridge that was taken out of the magazine is skipped.
    Install(std::vector<VirtualTapeConfig>{});
    ASSERT_EQ(unlink((folder + "/b.tap").c_str()), 0);
    Install(Config(folder));
    EXPECT_EQ(Drive().Loaded()->Path(), folder + "/a.tap");
}

TEST_F(VtapeDevice, ImageOwnedByAnotherDriveIsBusyAndUntouched) {
    const std::string image = Path("t.tap");
    PutFile(image, {});
    // Two drives over one image, as two programs would have: the first owns it.
    Install({Config(image), Config(image)});
    ASSERT_NE(Drive(0).Loaded(), nullptr);
    EXPECT_TRUE(Drive(1).Busy());
    ASSERT_TRUE(WriteRecord(Blocks(1, 10)).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    const auto before = FileBytes(image);
    auto r = TestUnitReady(1);
    EXPECT_EQ(r.status, SS_ERR);
    EXPECT_EQ(r.targetStatus, STATUS_BUSY);
    r = WriteRecord(Blocks(1, 99), 1);
    EXPECT_EQ(r.targetStatus, STATUS_BUSY);
    r = Rewind(1);
    EXPECT_EQ(r.targetStatus, STATUS_BUSY);
    EXPECT_EQ(ModeSense(1).mediumType, 0);
    EXPECT_EQ(FileBytes(image), before);
    // Once the first drive lets go, the second one takes the image.
    ASSERT_TRUE(Unload(0).Good());
    ASSERT_TRUE(TestUnitReady(1).Good());
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 10));
}

}  // namespace
