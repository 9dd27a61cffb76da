#pragma once
// A host adapter for window tests: devices of chosen types at chosen targets;
// a tape drive among them answers INQUIRY, TEST UNIT READY, MODE SENSE(6) and
// MODE SELECT(6) with the block length and capacity it is given.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapter.h"
#include "aspi/ScsiExec.h"

class ScriptedDriveAdapter : public HostAdapter {
public:
    struct Device {
        int type = -1;  // -1: nothing at this target
        std::string vendorProduct = "SCRIPTED DEVICE";
        int blockLength = 0;
        int blockCount = 0;
        int mediumType = 0x10;
        bool acceptsModeSelect = true;
        bool loaded = true;  // false: TEST UNIT READY says NOT READY, no cartridge
    };

    explicit ScriptedDriveAdapter(std::string identifier) : identifier_(std::move(identifier)) {}

    // An adapter list of one scripted adapter with a tape drive of 1000
    // blocks of 1024 bytes at target, for tests of the lists only.
    static std::vector<std::unique_ptr<HostAdapter>> OneTapeDrive(int target) {
        auto adapter = std::make_unique<ScriptedDriveAdapter>("SCRIPTED HBA");
        adapter->At(target).type = 1;
        adapter->At(target).blockLength = 1024;
        adapter->At(target).blockCount = 1000;
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(std::move(adapter));
        return adapters;
    }

    Device& At(int target) { return devices_[static_cast<std::size_t>(target)]; }
    int modeSelects = 0;

    std::string Identifier() const override { return identifier_; }
    int DeviceType(int target) override {
        return target >= 0 && target < 8 ? devices_[static_cast<std::size_t>(target)].type : -1;
    }

    void Execute(int target, ScsiExec& exec) override {
        Device& device = At(target);
        const auto cdb = exec.Cdb();
        const auto data = exec.Data();
        switch (cdb[0]) {
        case 0x00:  // TEST UNIT READY
            if (device.loaded) {
                exec.FinishGood();
            } else {
                NotReady(exec);
            }
            return;
        case 0x12: {  // INQUIRY
            std::fill(data.begin(), data.end(), std::uint8_t{0});
            if (data.size() > 8) {
                data[0] = static_cast<std::uint8_t>(device.type);
                std::string text = device.vendorProduct;
                text.resize(24, ' ');
                std::memcpy(data.data() + 8, text.data(), std::min<std::size_t>(24, data.size() - 8));
            }
            exec.FinishGood();
            return;
        }
        case 0x1A:  // MODE SENSE(6)
            std::fill(data.begin(), data.end(), std::uint8_t{0});
            if (data.size() >= 12) {
                data[0] = 11;
                data[1] = static_cast<std::uint8_t>(device.mediumType);
                data[3] = 8;
                Put24(&data[5], device.blockCount);
                Put24(&data[9], device.blockLength);
            }
            exec.FinishGood();
            return;
        case 0x15:  // MODE SELECT(6)
            ++modeSelects;
            if (!device.acceptsModeSelect || data.size() < 12) {
                IllegalRequest(exec);
                return;
            }
            device.blockLength = (data[9] << 16) | (data[10] << 8) | data[11];
            exec.FinishGood();
            return;
        default:
            IllegalRequest(exec);
        }
    }

private:
    static void Put24(std::uint8_t* p, int value) {
        p[0] = static_cast<std::uint8_t>(value >> 16);
        p[1] = static_cast<std::uint8_t>(value >> 8);
        p[2] = static_cast<std::uint8_t>(value);
    }
    // Fixed-format sense data with a sense key and additional sense code.
    static void CheckCondition(ScsiExec& exec, std::uint8_t key, std::uint8_t asc) {
        std::array<std::uint8_t, 18> sense{};
        sense[0] = 0x70;
        sense[2] = key;
        sense[7] = 10;
        sense[12] = asc;
        exec.FinishCheckCondition(sense);
    }
    static void NotReady(ScsiExec& exec) { CheckCondition(exec, 0x02, 0x3A); }  // medium not present
    static void IllegalRequest(ScsiExec& exec) { CheckCondition(exec, 0x05, 0x20); }  // invalid command

    std::string identifier_;
    std::array<Device, 8> devices_{};
};
