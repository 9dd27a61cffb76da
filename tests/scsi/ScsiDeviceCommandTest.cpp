// What goes out on the wire for each command: CDB, direction, data length and
// the fields of the execute-request record.

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ScsiFixture.h"
#include "scsi/ScsiDevice.h"

namespace {

constexpr BYTE kTape = 4;

struct CommandCase {
    const char* name;
    std::function<int(ScsiDevice&, BYTE*)> run;
    std::array<std::uint8_t, 6> cdb;
    BYTE flags;
    DataDirection direction;
    std::size_t dataLength;
    int blockLength;  // what the drive reports to mode sense
};

const CommandCase kCommands[] = {
    {"TestUnitReady", [](ScsiDevice& d, BYTE*) { return d.TestUnitReady(0, kTape, 0) == 0 ? 0 : -1; },
     {0x00, 0, 0, 0, 0, 0}, 0x08, DataDirection::In, 0, 512},
    {"Inquiry", [](ScsiDevice& d, BYTE*) { char t[24]; return d.Inquiry(t, 0, kTape, 0); },
     {0x12, 0, 0, 0, 0x60, 0}, 0x08, DataDirection::In, 32, 512},
    {"ModeSense", [](ScsiDevice& d, BYTE*) { int m = 0, c = 0, l = 0; return d.ModeSense(m, c, l, 0, kTape, 0); },
     {0x1A, 0, 0, 0, 0x0C, 0}, 0x08, DataDirection::In, 32, 512},
    {"ModeSelect", [](ScsiDevice& d, BYTE*) { int m = 0, c = 0, l = 1024; return d.ModeSelect(m, c, l, 0, kTape, 0); },
     {0x15, 0x10, 0, 0, 0x0C, 0}, 0x10, DataDirection::Out, 32, 512},
    {"Rewind", [](ScsiDevice& d, BYTE*) { return d.Rewind(0, kTape, 0); },
     {0x01, 0, 0, 0, 0, 0}, 0x00, DataDirection::None, 0, 512},
    {"Read64At512", [](ScsiDevice& d, BYTE* b) { return d.Read(b, 64, 0, kTape, 0); },
     {0x08, 0x01, 0, 0, 64, 0}, 0x08, DataDirection::In, 32768, 512},
    {"Write10At1024", [](ScsiDevice& d, BYTE* b) { return d.Write(b, 10, 0, kTape, 0); },
     {0x0A, 0x01, 0, 0, 10, 0}, 0x10, DataDirection::Out, 10240, 1024},
    {"Write1At2048", [](ScsiDevice& d, BYTE* b) { return d.Write(b, 1, 0, kTape, 0); },
     {0x0A, 0x01, 0, 0, 1, 0}, 0x10, DataDirection::Out, 2048, 2048},
    {"WriteFilemark", [](ScsiDevice& d, BYTE*) { return d.WriteFilemark(0, kTape, 0); },
     {0x10, 0, 0, 0, 1, 0}, 0x10, DataDirection::Out, 0, 512},
    {"SpaceFilemarks300", [](ScsiDevice& d, BYTE*) { return d.SpaceFilemarks(300, 0, kTape, 0); },
     {0x11, 0x01, 0x00, 0x01, 0x2C, 0}, 0x00, DataDirection::None, 0, 512},
    {"SpaceFilemarksLargest", [](ScsiDevice& d, BYTE*) { return d.SpaceFilemarks(0xFFFFFF, 0, kTape, 0); },
     {0x11, 0x01, 0xFF, 0xFF, 0xFF, 0}, 0x00, DataDirection::None, 0, 512},
    {"SpaceToEndOfData", [](ScsiDevice& d, BYTE*) { return d.SpaceToEndOfData(0, kTape, 0) == SS_COMP ? 0 : -1; },
     {0x11, 0x03, 0, 0, 0, 0}, 0x00, DataDirection::None, 0, 512},
    {"Eject", [](ScsiDevice& d, BYTE*) { return d.Eject(0, kTape, 0); },
     {0x1B, 0, 0, 0, 0, 0}, 0x00, DataDirection::None, 0, 512},
};

class ScsiDeviceCommand : public ScsiFixture, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ScsiDeviceCommand, SendsItsCdbDirectionAndDataLength) {
    const CommandCase& c = GetParam();
    InstallTapeAdapter().Model(kTape).blockLength = c.blockLength;
    ScsiDevice device;
    std::vector<BYTE> buffer(131072, 0x5A);

    ASSERT_EQ(c.run(device, buffer.data()), 0);
    (void)device.LastTestUnitReadyNotReady();  // let a status query complete

    ASSERT_FALSE(adapter().commands.empty());
    const RecordedCommand& sent = adapter().commands.back();
    EXPECT_EQ(sent.target, kTape);
    EXPECT_EQ(sent.cdb, std::vector<std::uint8_t>(c.cdb.begin(), c.cdb.end()));
    EXPECT_EQ(sent.direction, c.direction);
    EXPECT_EQ(sent.dataLength, c.dataLength);
}

TEST_P(ScsiDeviceCommand, FillsEveryFieldOfTheRecord) {
    const CommandCase& c = GetParam();
    InstallTapeAdapter().Model(kTape).blockLength = c.blockLength;
    ScsiDevice device;
    std::vector<BYTE> buffer(131072);
    ASSERT_EQ(c.run(device, buffer.data()), 0);
    (void)device.LastTestUnitReadyNotReady();

    // Copied out: the record is byte-packed, so its wider fields are misaligned.
    const SRB_ExecSCSICmd r = device.Request();
    EXPECT_EQ(r.SRB_Cmd, SC_EXEC_SCSI_CMD);
    EXPECT_EQ(r.SRB_Status, SS_COMP);
    EXPECT_EQ(r.SRB_HaId, 0);
    EXPECT_EQ(r.SRB_Flags, c.flags);
    EXPECT_EQ(DWORD{r.SRB_Hdr_Rsvd}, 0u);
    EXPECT_EQ(r.SRB_Target, kTape);
    EXPECT_EQ(r.SRB_Lun, 0);
    EXPECT_EQ(WORD{r.SRB_Rsvd1}, 0);
    EXPECT_EQ(DWORD{r.SRB_BufLen}, c.dataLength);
    EXPECT_NE(static_cast<BYTE*>(r.SRB_BufPointer), nullptr);
    EXPECT_EQ(r.SRB_SenseLen, 14);
    EXPECT_EQ(r.SRB_CDBLen, 6);
    EXPECT_EQ(static_cast<void*>(r.SRB_PostProc), nullptr);
    EXPECT_EQ(static_cast<void*>(r.SRB_Rsvd2), nullptr);
    for (BYTE b : r.SRB_Rsvd3) EXPECT_EQ(b, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, ScsiDeviceCommand, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScsiFixture, RecordNamesTheAddressedAdapterAndTarget) {
    InstallAdapters({"HBA 0", "HBA 1"});
    adapter(1).Model(3).type = 1;
    ScsiDevice device;
    ASSERT_EQ(device.Rewind(1, 3, 0), 0);
    EXPECT_EQ(device.Request().SRB_HaId, 1);
    EXPECT_EQ(device.Request().SRB_Target, 3);
    EXPECT_TRUE(adapter(0).commands.empty());
    ASSERT_EQ(adapter(1).commands.size(), 1u);
    EXPECT_EQ(adapter(1).commands[0].target, 3);
}

class ScsiDeviceData : public ScsiFixture {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        InstallTapeAdapter();
    }
    DeviceModel& tape() { return adapter().Model(kTape); }
    ScsiDevice device;
};

TEST_F(ScsiDeviceData, TransfersUseTheCallersBufferAndAskForTheBlockLengthFirst) {
    std::vector<BYTE> buffer(4096);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<BYTE>(i * 7);
    tape().blockLength = 1024;

    ASSERT_EQ(device.Write(buffer.data(), 4, 0, kTape, 0), 0);
    EXPECT_EQ(static_cast<BYTE*>(device.Request().SRB_BufPointer), buffer.data());
    ASSERT_EQ(device.Read(buffer.data(), 2, 0, kTape, 0), 0);
    EXPECT_EQ(static_cast<BYTE*>(device.Request().SRB_BufPointer), buffer.data());
    ASSERT_EQ(device.WriteFilemark(0, kTape, 0), 0);

    EXPECT_EQ(Opcodes(), (std::vector<int>{0x1A, 0x0A, 0x1A, 0x08, 0x1A, 0x10}));
    EXPECT_EQ(adapter().commands[1].dataOut, buffer);
    EXPECT_EQ(adapter().commands[3].dataLength, 2048u);
}

TEST_F(ScsiDeviceData, EveryTransferAsksTheDriveAgainForItsBlockLength) {
    std::vector<BYTE> buffer(8192);
    tape().blockLength = 512;
    ASSERT_EQ(device.Read(buffer.data(), 4, 0, kTape, 0), 0);
    tape().blockLength = 2048;
    ASSERT_EQ(device.Read(buffer.data(), 4, 0, kTape, 0), 0);
    EXPECT_EQ(adapter().commands[1].dataLength, 2048u);
    EXPECT_EQ(adapter().commands[3].dataLength, 8192u);
}

TEST_F(ScsiDeviceData, VariableBlockDriveGetsZeroDataLength) {
    std::vector<BYTE> buffer(1024);
    tape().blockLength = 0;
    ASSERT_EQ(device.Read(buffer.data(), 64, 0, kTape, 0), 0);
    EXPECT_EQ(adapter().commands.back().dataLength, 0u);
    EXPECT_EQ(adapter().commands.back().cdb[4], 64);
}

TEST_F(ScsiDeviceData, ModeSenseReadsMediumTypeBlockCountAndLength) {
    tape().mediumType = 0x23;
    tape().blockCount = 0x012345;
    tape().blockLength = 0x000800;
    int medium = 0, count = 0, length = 0;
    ASSERT_EQ(device.ModeSense(medium, count, length, 0, kTape, 0), 0);
    EXPECT_EQ(medium, 0x23);
    EXPECT_EQ(count, 0x012345);
    EXPECT_EQ(length, 0x800);
}

TEST_F(ScsiDeviceData, ModeSenseFailureSetsMinusOneAndKeepsMediumType) {
    adapter().Script(kTape, 0x1A, Reply::Check(5, 0x24));
    int medium = 7, count = 0, length = 0;
    EXPECT_EQ(device.ModeSense(medium, count, length, 0, kTape, 0), -1);
    EXPECT_EQ(medium, 7);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(length, -1);
}

TEST_F(ScsiDeviceData, ModeSelectSendsTwelveByteListAndEchoesIt) {
    int medium = 9, count = 77, length = 1024;
    ASSERT_EQ(device.ModeSelect(medium, count, length, 0, kTape, 0), 0);
    const auto& sent = adapter().commands.back().dataOut;
    ASSERT_EQ(sent.size(), 32u);
    EXPECT_EQ(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 12),
              (std::vector<std::uint8_t>{0, 0, 0, 8, 0, 0, 0, 0, 0, 0x00, 0x04, 0x00}));
    EXPECT_EQ(medium, 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(length, 1024);
    EXPECT_EQ(tape().blockLength, 1024);
}

TEST_F(ScsiDeviceData, ModeSelectFailureSetsMinusOne) {
    adapter().Script(kTape, 0x15, Reply::Check(5, 0x26));
    int medium = 9, count = 0, length = 1024;
    EXPECT_EQ(device.ModeSelect(medium, count, length, 0, kTape, 0), -1);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(length, -1);
}

TEST_F(ScsiDeviceData, InquiryGivesTwentyThreeCharactersFromByteEight) {
    tape().vendorProduct = "ACME    TAPE DRIVE 9000 REV1";
    char text[32];
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(device.Inquiry(text, 0, kTape, 0), 0);
    EXPECT_STREQ(text, "ACME    TAPE DRIVE 9000");
    EXPECT_EQ(text[24], '#');
}

TEST_F(ScsiDeviceData, InquiryFailureLeavesTheTextAlone) {
    char text[24] = "unchanged";
    EXPECT_EQ(device.Inquiry(text, 0, 6, 0), -1);  // nothing at target 6
    EXPECT_STREQ(text, "unchanged");
    adapter().Script(kTape, 0x12, Reply::Check(4));
    EXPECT_EQ(device.Inquiry(text, 0, kTape, 0), -1);
    EXPECT_STREQ(text, "unchanged");
}

}  // namespace
