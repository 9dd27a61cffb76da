#pragma once
// Drives virtual tape drives through SendASPI32Command the way the program
// does: a filled execute request, a six-byte CDB, sense data read back from
// the request. Each test gets its own scratch folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "aspi/Aspi.h"
#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "aspi/virtual/VirtualTapeConfig.h"
#include "support/FileContents.h"

struct CommandResult {
    BYTE status = SS_PENDING;
    BYTE targetStatus = 0;
    std::array<BYTE, SENSE_LEN + 2> sense{};

    bool Good() const { return status == SS_COMP; }
    int Key() const { return sense[2] & 0x0F; }
    int Asc() const { return sense[12]; }
    int Ascq() const { return sense[13]; }
    bool Valid() const { return (sense[0] & 0x80) != 0; }
    bool Filemark() const { return (sense[2] & 0x80) != 0; }
    bool EndOfMedium() const { return (sense[2] & 0x40) != 0; }
    bool IncorrectLength() const { return (sense[2] & 0x20) != 0; }
    std::int32_t Information() const {
        return static_cast<std::int32_t>((std::uint32_t(sense[3]) << 24) | (std::uint32_t(sense[4]) << 16) |
                                         (std::uint32_t(sense[5]) << 8) | sense[6]);
    }
    // "key/asc/ascq" for readable failures.
    std::string Triple() const {
        char text[32];
        std::snprintf(text, sizeof text, "%02X/%02X/%02X", Key(), Asc(), Ascq());
        return text;
    }
};

class VtapeHarness : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vtape-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override {
        HostAdapterList::Install({});
        adapters_.clear();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static VirtualTapeConfig Config(const std::string& source, std::uint64_t capacity = 64ull << 20) {
        VirtualTapeConfig config;
        config.source = source;
        config.sourceIsFolder = !VirtualTapeConfig::IsImageName(source);
        config.SetCapacity(capacity);
        return config;
    }

    // Installs one drive per config as adapters 0, 1, ...
    void Install(const std::vector<VirtualTapeConfig>& configs) {
        HostAdapterList::Install({});
        adapters_.clear();
        std::vector<std::unique_ptr<HostAdapter>> list;
        for (const auto& config : configs) {
            auto adapter = std::make_unique<VirtualHostAdapter>(std::make_unique<VirtualTapeDrive>(config));
            adapters_.push_back(adapter.get());
            list.push_back(std::move(adapter));
        }
        HostAdapterList::Install(std::move(list));
    }
    void Install(const VirtualTapeConfig& config) { Install(std::vector<VirtualTapeConfig>{config}); }
    void InstallImage(const std::string& name, std::uint64_t capacity = 64ull << 20) {
        Install(Config(Path(name), capacity));
    }

    VirtualTapeDrive& Drive(int adapter = 0) { return adapters_.at(adapter)->Drive(); }

    CommandResult Exec(std::array<BYTE, 6> cdb, BYTE flags = 0, BYTE* data = nullptr, DWORD length = 0,
                       BYTE adapter = 0) {
        return ExecCdb(cdb.data(), 6, flags, data, length, adapter);
    }
    CommandResult ExecCdb(const BYTE* cdb, BYTE cdbLength, BYTE flags = 0, BYTE* data = nullptr, DWORD length = 0,
                          BYTE adapter = 0) {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = adapter;
        srb.SRB_Flags = flags;
        srb.SRB_Target = 0;
        srb.SRB_BufLen = length;
        srb.SRB_BufPointer = data;
        srb.SRB_SenseLen = SENSE_LEN;
        srb.SRB_CDBLen = cdbLength;
        for (int i = 0; i < cdbLength; ++i) srb.CDBByte[i] = cdb[i];
        const DWORD submitted = SendASPI32Command(&srb);
        CommandResult result;
        result.status = submitted == SS_PENDING ? SrbStatus(srb.SRB_Status) : static_cast<BYTE>(submitted);
        result.targetStatus = srb.SRB_TargStat;
        std::copy(std::begin(srb.SenseArea), std::end(srb.SenseArea), result.sense.begin());
        return result;
    }

    static std::array<BYTE, 6> Cdb(BYTE op, BYTE b1, std::uint32_t count, BYTE b5 = 0) {
        return {op, b1, BYTE(count >> 16), BYTE(count >> 8), BYTE(count), b5};
    }

    CommandResult TestUnitReady(BYTE adapter = 0) { return Exec({0, 0, 0, 0, 0, 0}, 0, nullptr, 0, adapter); }
    CommandResult Rewind(BYTE adapter = 0) { return Exec({0x01, 0, 0, 0, 0, 0}, 0, nullptr, 0, adapter); }
    CommandResult Unload(BYTE adapter = 0) { return Exec({0x1B, 0, 0, 0, 0, 0}, 0, nullptr, 0, adapter); }
    CommandResult Load(BYTE adapter = 0) { return Exec({0x1B, 0, 0, 0, 1, 0}, 0, nullptr, 0, adapter); }

    CommandResult SetBlockLength(std::uint32_t length, BYTE adapter = 0) {
        BYTE list[32] = {0, 0, 0, 8, 0, 0, 0, 0, 0, BYTE(length >> 16), BYTE(length >> 8), BYTE(length)};
        return Exec({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, list, sizeof list, adapter);
    }
    // Medium type, block count, block length and device-specific byte.
    struct ModeData {
        int mediumType, blockCount, blockLength, deviceSpecific;
    };
    ModeData ModeSense(BYTE adapter = 0) {
        BYTE data[32] = {};
        const auto r = Exec({0x1A, 0, 0, 0, 12, 0}, SRB_DIR_IN, data, sizeof data, adapter);
        EXPECT_TRUE(r.Good()) << r.Triple();
        return {data[1], (data[5] << 16) | (data[6] << 8) | data[7], (data[9] << 16) | (data[10] << 8) | data[11],
                data[2]};
    }

    CommandResult WriteFixed(const std::vector<BYTE>& data, std::uint32_t blocks, BYTE adapter = 0) {
        return Exec(Cdb(0x0A, 1, blocks), SRB_DIR_OUT, const_cast<BYTE*>(data.data()), DWORD(data.size()), adapter);
    }
    CommandResult ReadFixed(std::vector<BYTE>& data, std::uint32_t blocks, BYTE adapter = 0) {
        return Exec(Cdb(0x08, 1, blocks), SRB_DIR_IN, data.data(), DWORD(data.size()), adapter);
    }
    CommandResult WriteRecord(const std::vector<BYTE>& data, BYTE adapter = 0) {
        return Exec(Cdb(0x0A, 0, std::uint32_t(data.size())), SRB_DIR_OUT, const_cast<BYTE*>(data.data()),
                    DWORD(data.size()), adapter);
    }
    CommandResult ReadRecord(std::vector<BYTE>& data, BYTE adapter = 0, BYTE bits = 0) {
        return Exec(Cdb(0x08, bits, std::uint32_t(data.size())), SRB_DIR_IN, data.data(), DWORD(data.size()),
                    adapter);
    }
    CommandResult WriteFilemarks(std::uint32_t count, bool immediate = false, BYTE adapter = 0) {
        return Exec(Cdb(0x10, immediate ? 1 : 0, count), 0, nullptr, 0, adapter);
    }
    // code 0 blocks, 1 filemarks, 3 end of data; negative counts go back.
    CommandResult Space(int code, std::int32_t count, BYTE adapter = 0) {
        return Exec(Cdb(0x11, BYTE(code), std::uint32_t(count) & 0xFFFFFF), 0, nullptr, 0, adapter);
    }

    // Block contents that tell blocks apart: byte i of block n.
    static std::vector<BYTE> Blocks(std::uint32_t count, std::uint32_t length, std::uint32_t first = 0) {
        std::vector<BYTE> data(std::size_t(count) * length);
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::size_t block = first + i / length;
            data[i] = BYTE(block * 31 + (i % length) * 7 + 1);
        }
        return data;
    }

    static std::vector<BYTE> FileBytes(const std::string& path) {
        return FileContents<std::vector<BYTE>>(path);
    }
    static void PutFile(const std::string& path, const std::vector<BYTE>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::string dir_;
    std::vector<VirtualHostAdapter*> adapters_;
};
