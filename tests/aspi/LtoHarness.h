#pragma once
// The virtual drive in its LTO-like personality, on a clock the test moves:
// becoming ready costs no time.

#include "VtapeHarness.h"
#include "aspi/virtual/DriveClock.h"

class LtoHarness : public VtapeHarness {
protected:
    void SetUp() override {
        VtapeHarness::SetUp();
        now_ = 1000;
        previous_ = SetDriveClock(&Now);
    }
    void TearDown() override {
        VtapeHarness::TearDown();
        SetDriveClock(previous_);
    }

    static std::uint64_t Now() { return now_; }

    static VirtualTapeConfig Lto(const std::string& source, std::uint64_t readyMs = 0,
                                 std::uint64_t capacity = 64ull << 20) {
        VirtualTapeConfig config = Config(source, capacity);
        config.personality = DrivePersonality::Lto;
        config.readyMs = readyMs;
        return config;
    }
    static VirtualTapeConfig WithFaults(VirtualTapeConfig config, const std::string& faults) {
        std::string problem;
        EXPECT_TRUE(FaultPlan::Parse(faults, config.faults, problem)) << problem;
        return config;
    }

    // A drive just switched on with a cartridge that needs no time to load:
    // the two attentions, then ready.
    void PowerUp() {
        ASSERT_EQ(TestUnitReady().Triple(), "06/29/00");
        ASSERT_EQ(TestUnitReady().Triple(), "06/28/00");
        ASSERT_TRUE(TestUnitReady().Good());
    }

    // MODE SELECT with this device-specific byte (buffered mode in bits 6-4).
    CommandResult ModeSelect(BYTE deviceSpecific, std::uint32_t length) {
        BYTE list[32] = {0, 0, deviceSpecific, 8, 0, 0, 0, 0, 0, BYTE(length >> 16), BYTE(length >> 8), BYTE(length)};
        return Exec({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, list, sizeof list);
    }

    // The 18 bytes of sense data REQUEST SENSE returns.
    std::vector<BYTE> RequestSense() {
        std::vector<BYTE> data(18, 0xEE);
        const CommandResult r = Exec({0x03, 0, 0, 0, 18, 0}, SRB_DIR_IN, data.data(), DWORD(data.size()));
        EXPECT_TRUE(r.Good()) << r.Triple();
        return data;
    }
    static std::string Triple(const std::vector<BYTE>& sense) {
        char text[32];
        std::snprintf(text, sizeof text, "%02X/%02X/%02X", sense[2] & 0x0F, sense[12], sense[13]);
        return text;
    }

    CommandResult LogSense(BYTE page, std::vector<BYTE>& data) {
        const BYTE cdb[10] = {0x4D, 0, BYTE(0x40 | page), 0, 0, 0, 0, BYTE(data.size() >> 8), BYTE(data.size()), 0};
        return ExecCdb(cdb, 10, SRB_DIR_IN, data.data(), DWORD(data.size()));
    }

    static inline std::uint64_t now_ = 0;
    DriveClockFunction previous_ = nullptr;
};
