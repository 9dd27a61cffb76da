// Format, back up, restore elsewhere and verify through the virtual drive;
// then check the image: ident block, filemark, and per file a header, its
// data blocks and a filemark, read both by our own parser and by mtdump.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/MtDumpRecords.h"
#include "support/RunTool.h"
#include "support/TapeFixture.h"

namespace {

class TapeRoundTripTest : public TapeFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { SetUpDrive(GetParam()); }

    std::vector<std::size_t> Sizes() const {
        const std::size_t b = static_cast<std::size_t>(blockLength);
        return {0, 1, b - 1, b, 64 * b, 100000, 64 * b + 10 * b + 5, 3 * 1024 * 1024 + 777};
    }
    static std::string NameOf(std::size_t i) { return "file" + std::to_string(i) + ".bin"; }

    // Runs mtdump on a copy (the tool must never touch the drive's image)
    // and returns its output.
    std::string MtDump() {
        const std::string copy = dir + "/copy.tap";
        std::filesystem::copy_file(image, copy);
        int status = 0;
        return RunTool("mtdump " + copy + " 2>&1", status);
    }
};

TEST_P(TapeRoundTripTest, RestoredAndVerifiedFilesAreByteIdentical) {
    const auto sizes = Sizes();
    std::vector<Bytes> contents;
    ASSERT_EQ(volume->WriteIdentBlock("RoundTrip"), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        contents.push_back(Pattern(sizes[i], static_cast<std::uint32_t>(i + 7)));
        WriteFile(Src() + NameOf(i), contents.back());
        ASSERT_EQ(volume->BackupFile(NameOf(i), Src(), blockLength), 0) << NameOf(i);
        EXPECT_EQ(volume->LastWrittenHeader().size, static_cast<std::int32_t>(sizes[i]));
    }
    EXPECT_TRUE(messages.shown.empty());

    // Restore each file by its catalog values, positioning by filemarks: a
    // record read whole ends after its filemark, at the next record.
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, "RoundTrip");
    ASSERT_EQ(Space(1), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const FileHeader expected{NameOf(i), DateText(std::time(nullptr)), "", static_cast<std::int32_t>(sizes[i]),
                                  static_cast<std::int32_t>(sizes[i] / blockLength + 1)};
        ASSERT_EQ(volume->RestoreFile(expected.name, expected.modificationDate, expected.size, expected.blockCount,
                                      blockLength, Dst()),
                  0)
            << NameOf(i);
        const Bytes restored = ReadFile(Dst() + NameOf(i));
        EXPECT_EQ(restored.size(), sizes[i]);
        EXPECT_TRUE(restored == contents[i]) << NameOf(i) << " differs";
    }

    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    ASSERT_EQ(Space(1), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(volume->VerifyFile(NameOf(i), DateText(std::time(nullptr)), static_cast<std::int32_t>(sizes[i]),
                                     static_cast<std::int32_t>(sizes[i] / blockLength + 1), blockLength, Dst()),
                  VerifyResult::Identical)
            << NameOf(i);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_P(TapeRoundTripTest, FullRestoreTakesEveryRecordInTapeOrder) {
    ASSERT_EQ(volume->WriteIdentBlock("Full"), 0);
    const auto sizes = Sizes();
    for (std::size_t i = 0; i < 3; ++i) {
        WriteFile(Src() + NameOf(i), Pattern(sizes[i + 3], static_cast<std::uint32_t>(i)));
        ASSERT_EQ(volume->BackupFile(NameOf(i), Src(), blockLength), 0);
    }
    Rewind();
    int restored = 0;
    ASSERT_EQ(Space(1), 0);
    while (volume->RestoreNextFile(blockLength, Dst()) == 0) ++restored;
    EXPECT_EQ(restored, 3);
    EXPECT_EQ(volume->LastFault(), RecordFault::EndOfData);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(ReadFile(Dst() + NameOf(i)), Pattern(sizes[i + 3], static_cast<std::uint32_t>(i)));
    std::vector<std::string> expectedStatus;
    for (std::size_t i = 0; i < 3; ++i) expectedStatus.push_back("Restoring '" + NameOf(i) + "'...");
    EXPECT_EQ(status.statuses, expectedStatus);
}

TEST_P(TapeRoundTripTest, ImageHoldsIdentFilemarkThenHeaderDataFilemarkPerFile) {
    const auto sizes = Sizes();
    ASSERT_EQ(volume->WriteIdentBlock("Layout"), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        WriteFile(Src() + NameOf(i), Pattern(sizes[i], static_cast<std::uint32_t>(i)));
        ASSERT_EQ(volume->BackupFile(NameOf(i), Src(), blockLength), 0);
    }
    const auto objects = Objects();
    const std::size_t b = static_cast<std::size_t>(blockLength);
    std::size_t at = 0;
    ASSERT_GE(objects.size(), 2u);
    EXPECT_EQ(objects[at].data.size(), b);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(objects[at].data.data())), "TAPEWREN");
    ++at;
    EXPECT_TRUE(objects[at++].filemark);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::size_t blocks = 1 + sizes[i] / b + 1;
        ASSERT_LE(at + blocks + 1, objects.size());
        for (std::size_t k = 0; k < blocks; ++k) {
            ASSERT_FALSE(objects[at + k].filemark) << NameOf(i) << " block " << k;
            EXPECT_EQ(objects[at + k].data.size(), b);
        }
        // Data blocks hold the file, then zeros to the end of the last one.
        Bytes data;
        for (std::size_t k = 1; k < blocks; ++k) data.insert(data.end(), objects[at + k].data.begin(), objects[at + k].data.end());
        Bytes expected = Pattern(sizes[i], static_cast<std::uint32_t>(i));
        expected.resize((sizes[i] / b + 1) * b, 0);
        EXPECT_TRUE(data == expected) << NameOf(i);
        at += blocks;
        EXPECT_TRUE(objects[at++].filemark) << NameOf(i);
    }
    EXPECT_EQ(at, objects.size());
}

TEST_P(TapeRoundTripTest, MtdumpSeesTheSameStructure) {
    ASSERT_EQ(system("command -v mtdump > /dev/null"), 0) << "mtdump missing: install the Debian package simh";
    const std::size_t b = static_cast<std::size_t>(blockLength);
    const std::vector<std::size_t> sizes = {0, b, 100000};
    ASSERT_EQ(volume->WriteIdentBlock("Dump"), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        WriteFile(Src() + NameOf(i), Pattern(sizes[i], 3));
        ASSERT_EQ(volume->BackupFile(NameOf(i), Src(), blockLength), 0);
    }
    // Per tape file, the record lengths mtdump reports.
    const auto files = MtDumpRecords(MtDump());
    ASSERT_EQ(files.size(), 1 + sizes.size() + 1) << "one tape file per record, then nothing";
    EXPECT_EQ(files[0], std::vector<std::size_t>{b});
    for (std::size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(files[i + 1], std::vector<std::size_t>(1 + sizes[i] / b + 1, b)) << NameOf(i);
    EXPECT_TRUE(files.back().empty());
}

INSTANTIATE_TEST_SUITE_P(BlockLengths, TapeRoundTripTest, ::testing::Values(512, 1024),
                         [](const auto& info) { return "Block" + std::to_string(info.param); });

}  // namespace
