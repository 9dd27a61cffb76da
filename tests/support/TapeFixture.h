#pragma once
// A TapeVolume on the virtual drive over a fresh image file in a temporary
// folder, behind a FaultyAdapter, with scripted messages and recorded status.
// The drive is switched to fixed blocks of the fixture's block length.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "scsi/DriveReadiness.h"
#include "scsi/ScsiDevice.h"
#include "scsi/Sleep.h"
#include "support/FaultyAdapter.h"
#include "support/PatternBytes.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedMessages.h"
#include "support/TapImage.h"
#include "tape/DateText.h"
#include "tape/TapeVolume.h"

using Bytes = std::vector<std::uint8_t>;

class TapeFixture : public ::testing::Test {
protected:
    void SetUp() override { SetUpDrive(1024); }

    void TearDown() override {
        volume.reset();
        HostAdapterList::Install({});
        SetSleepFunction(nullptr);
        unsetenv("TAPEWREN_VTAPE");
        unsetenv("TAPEWREN_VTAPE_CAPACITY_MB");
        for (const std::string& made : dirs) std::filesystem::remove_all(made);
    }

    // capacityMb 0: the drive's default.
    void SetUpDrive(int blockLength, int capacityMb = 0) {
        char pattern[] = "/tmp/tw-tape-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        dirs.push_back(dir);
        std::filesystem::create_directories(dir + "/src");
        std::filesystem::create_directories(dir + "/dst");
        image = dir + "/tape.tap";
        // Pauses cost nothing; a yield keeps a poll loop from spinning hard.
        SetSleepFunction([](unsigned) { std::this_thread::yield(); });
        LoadImage(capacityMb);
        SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
    }

    // (Re)starts the drive over the image, as a new program run would. An
    // LTO-like drive (TAPEWREN_VTAPE_DRIVE=lto) is brought to readiness, as
    // the program does before a job, unless awaitReady is false.
    void LoadImage(int capacityMb = 0) {
        HostAdapterList::Install({});
        setenv("TAPEWREN_VTAPE", image.c_str(), 1);
        if (capacityMb > 0)
            setenv("TAPEWREN_VTAPE_CAPACITY_MB", std::to_string(capacityMb).c_str(), 1);
        else
            unsetenv("TAPEWREN_VTAPE_CAPACITY_MB");
        auto wrapped = std::make_unique<FaultyAdapter>(CreateVirtualHostAdapter());
        faults = wrapped.get();
        std::vector<std::unique_ptr<HostAdapter>> list;
        list.push_back(std::move(wrapped));
        HostAdapterList::Install(std::move(list));
        drive.adapter = 0;
        drive.target = VirtualHostAdapter::kTarget;
        drive.lun = 0;
        const char* personality = std::getenv("TAPEWREN_VTAPE_DRIVE");
        if (awaitReady && personality != nullptr && std::string(personality) == "lto") {
            RecordingStatus unseen;
            ASSERT_TRUE(AwaitReady(device, drive, unseen).ready);
        }
    }

    // Replaces the image with hand-built objects and starts a fresh drive and
    // volume over it at the fixture's block length.
    void UseImage(const std::vector<TapObject>& objects) {
        volume.reset();
        HostAdapterList::Install({});
        TapImage::Write(image, objects);
        LoadImage();
        SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
    }

    void SetBlockLength(int blockLength) {
        int medium = 0, count = 0, length = blockLength;
        ASSERT_EQ(device.ModeSelect(medium, count, length, drive.adapter, drive.target, drive.lun), 0);
        this->blockLength = blockLength;
    }

    void Rewind() { ASSERT_EQ(device.Rewind(drive.adapter, drive.target, drive.lun), 0); }
    int Space(int filemarks) { return device.SpaceFilemarks(filemarks, drive.adapter, drive.target, drive.lun); }

    // Deterministic bytes that differ from file to file and from block to block.
    static Bytes Pattern(std::size_t size, std::uint32_t seed) { return PatternBytes<Bytes>(size, seed, 1); }

    static void WriteFile(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << path;
    }
    static Bytes ReadFile(const std::string& path) { return TapImage::FileBytes(path); }

    std::string Src() const { return dir + "/src/"; }
    std::string Dst() const { return dir + "/dst/"; }

    // Formats the tape "T" and backs up src/<name> of the given size.
    Bytes FormatAndBackUp(const std::string& name, std::size_t size, std::uint32_t seed = 1) {
        EXPECT_EQ(volume->WriteIdentBlock("T"), 0);
        Bytes data = Pattern(size, seed);
        WriteFile(Src() + name, data);
        EXPECT_EQ(volume->BackupFile(name, Src(), blockLength), 0);
        return data;
    }

    std::vector<TapObject> Objects() {
        bool ok = false;
        auto objects = TapImage::Parse(image, ok);
        EXPECT_TRUE(ok) << "image framing broken";
        return objects;
    }

    std::string dir;
    // Every folder a SetUpDrive made: a test that starts a fresh drive may
    // still use the folders of the one before.
    std::vector<std::string> dirs;
    std::string image;
    int blockLength = 1024;
    ScriptedMessages messages;
    RecordingStatus status;
    ByteCounters counters;
    DriveAddress drive;
    ScsiDevice device;
    FaultyAdapter* faults = nullptr;
    std::unique_ptr<TapeVolume> volume;
    bool awaitReady = true;
};
