#pragma once
// The jobs on the virtual drive in its LTO-like personality: unit
// attentions after it starts and after each load, buffered mode, early
// warning, the faults a test names. The drive's clock moves on by every
// pause the device layer takes, so waiting for a loading cartridge costs
// no time.

#include <cstdint>

#include "JobFixture.h"
#include "aspi/virtual/DriveClock.h"
#include "aspi/virtual/DriveStatistics.h"
#include "support/EnvironmentGuard.h"

class LtoJobFixture : public JobFixture {
protected:
    void SetUp() override {
        env.Set("TAPEWREN_VTAPE_DRIVE", "lto");
        env.Set("TAPEWREN_VTAPE_READY_SECONDS", "0");
        env.Set("TAPEWREN_VTAPE_FAULTS", nullptr);
        clockMs = 1000;
        SetDriveClock(&Clock);
        JobFixture::SetUp();
        SetSleepFunction([](unsigned ms) { clockMs += ms; });
    }

    // Starts the drive afresh over the same image, as after switching it
    // off and on with the cartridge in it: faults (null: none), seconds the
    // cartridge takes to become ready, "command" when it waits for a LOAD.
    // ready: brought to readiness and the fixture's block length as SetUp
    // does; otherwise left as it comes up, for the job to meet.
    void Restart(const char* faults, bool ready = true, const char* readySeconds = "0", const char* load = nullptr) {
        env.Set("TAPEWREN_VTAPE_FAULTS", faults);
        env.Set("TAPEWREN_VTAPE_READY_SECONDS", readySeconds);
        env.Set("TAPEWREN_VTAPE_LOAD", load);
        jobs.reset();
        context.reset();
        volume.reset();
        HostAdapterList::Install({});
        awaitReady = ready;
        LoadImage(capacityMb);
        awaitReady = true;
        if (ready) SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
        MakeJobs();
    }

    // How many messages shown hold this text.
    int ShownWith(const std::string& part) const {
        int n = 0;
        for (const auto& m : messages.shown) n += m.text.find(part) != std::string::npos;
        return n;
    }

    static std::uint64_t Clock() { return clockMs; }
    static inline std::uint64_t clockMs = 0;
    int capacityMb = 0;
    EnvironmentGuard env;
};
