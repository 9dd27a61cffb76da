#pragma once
// A drive with a blank tape behind the stand-in, driven through ScsiDevice
// as the program drives it, with helpers to write and check records.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TestDrive.h"
#include "scsi/ScsiDevice.h"

class TapeCommandFixture : public ::testing::TestWithParam<DriveKind> {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual bool WriteProtected() const { return false; }

    BYTE Ha() const { return address_.adapter; }
    BYTE Target() const { return address_.target; }
    void UseBlockLength(int length);
    // Block `block` of record `record`: every byte depends on both.
    std::vector<BYTE> Pattern(int record, int blocks, int firstBlock = 0) const;
    // `blocks` blocks of record `record` and its filemark.
    void WriteRecord(int record, int blocks);
    // Reads `blocks` blocks and expects them to be blocks first.. of record.
    void ExpectRecord(int record, int blocks, int firstBlock = 0);

    // One READ(6) in fixed mode straight through the stand-in, without
    // ScsiDevice's retry (which would read on past the filemark); the final
    // status byte. Sense data lands in raw_.
    BYTE ReadOnce(BYTE* data, int blocks);

    // Runs the program's drive check of that name (app/DriveChecks.h) on
    // device_: empty when everything held, else what did not.
    std::string RunCheck(const std::string& name);

    // Sense data of the last command sent through device_, or of the last
    // ReadOnce when useRaw_ is set.
    const BYTE* Sense() const { return useRaw_ ? raw_.SenseArea : device_.Request().SenseArea; }
    int SenseKey() const { return Sense()[2] & 0x0F; }
    bool FilemarkBit() const { return (Sense()[2] & 0x80) != 0; }
    int Asc() const { return Sense()[12]; }
    int Ascq() const { return Sense()[13]; }
    bool InformationValid() const { return (Sense()[0] & 0x80) != 0; }
    std::int32_t Information() const;

    std::unique_ptr<TestDrive> drive_;
    DriveAddress address_;
    DriveQuirks quirks_;
    ScsiDevice device_;
    int blockLength_ = 1024;
    SRB_ExecSCSICmd raw_{};
    bool useRaw_ = false;
};
