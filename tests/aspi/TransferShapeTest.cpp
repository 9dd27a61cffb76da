// The transfer a host adapter puts on the wire, and the data count of a
// READ(6) that ended early, taken from the sense data.

#include <gtest/gtest.h>

#include "aspi/CdbTransfer.h"
#include "aspi/iscsi/ReadDataCount.h"

namespace {

CdbTransfer Shape(std::initializer_list<std::uint8_t> cdb, DataDirection d, std::size_t length) {
    const std::vector<std::uint8_t> bytes(cdb);
    return CdbTransfer::Shape(bytes, d, length);
}

TEST(CdbTransferTest, ModeSenseAllocationLargerThanBufferIsCut) {
    const CdbTransfer t = Shape({0x1A, 0, 0, 0, 0xFF, 0}, DataDirection::In, 32);
    EXPECT_EQ(t.cdb[4], 32);
    EXPECT_EQ(t.dataLength, 32u);
}

TEST(CdbTransferTest, ModeSenseAllocationSmallerThanBufferLimitsTheTransfer) {
    const CdbTransfer t = Shape({0x1A, 0, 0, 0, 12, 0}, DataDirection::In, 32);
    EXPECT_EQ(t.cdb[4], 12);
    EXPECT_EQ(t.dataLength, 12u);
}

TEST(CdbTransferTest, BlockCountedCommandsKeepTheBufferLength) {
    const CdbTransfer t = Shape({0x08, 0x01, 0, 0, 2, 0}, DataDirection::In, 2048);
    EXPECT_EQ(t.dataLength, 2048u);
    EXPECT_EQ(t.cdb[4], 2);
}

TEST(CdbTransferTest, ZeroLengthMeansNoDataPhaseWhateverTheFlag) {
    const CdbTransfer t = Shape({0x10, 0, 0, 0, 1, 0}, DataDirection::Out, 0);
    EXPECT_EQ(t.direction, DataDirection::None);
    EXPECT_EQ(t.dataLength, 0u);
}

TEST(CdbTransferTest, ModeSelectWithEmptyParameterListHasNoDataPhase) {
    const CdbTransfer t = Shape({0x15, 0x10, 0, 0, 0, 0}, DataDirection::Out, 32);
    EXPECT_EQ(t.direction, DataDirection::None);
}

std::array<std::uint8_t, 18> Sense(bool valid, std::int32_t info) {
    std::array<std::uint8_t, 18> s{};
    s[0] = valid ? 0xF0 : 0x70;
    const auto u = static_cast<std::uint32_t>(info);
    s[3] = static_cast<std::uint8_t>(u >> 24);
    s[4] = static_cast<std::uint8_t>(u >> 16);
    s[5] = static_cast<std::uint8_t>(u >> 8);
    s[6] = static_cast<std::uint8_t>(u);
    return s;
}

TEST(ReadDataCountTest, FixedReadStoppedByFilemarkCountsBlocksBeforeIt) {
    const CdbTransfer t = Shape({0x08, 0x01, 0, 0, 4, 0}, DataDirection::In, 4 * 1024);
    const auto s = Sense(true, 3);
    EXPECT_EQ(ReadDataCount::ValidBytes(t, s.data(), s.size()), 1024u);
}

TEST(ReadDataCountTest, SenseWithoutValidInformationMeansNoData) {
    const CdbTransfer t = Shape({0x08, 0x01, 0, 0, 4, 0}, DataDirection::In, 4 * 1024);
    const auto s = Sense(false, 0);
    EXPECT_EQ(ReadDataCount::ValidBytes(t, s.data(), s.size()), 0u);
}

TEST(ReadDataCountTest, ResidueLargerThanRequestIsClamped) {
    const CdbTransfer t = Shape({0x08, 0x01, 0, 0, 2, 0}, DataDirection::In, 2 * 512);
    const auto s = Sense(true, 9);
    EXPECT_EQ(ReadDataCount::ValidBytes(t, s.data(), s.size()), 0u);
}

TEST(ReadDataCountTest, VariableReadOfShortBlockCountsBytes) {
    const CdbTransfer t = Shape({0x08, 0x00, 0, 0x04, 0x00, 0}, DataDirection::In, 1024);
    const auto s = Sense(true, 1024 - 100);
    EXPECT_EQ(ReadDataCount::ValidBytes(t, s.data(), s.size()), 100u);
}

TEST(ReadDataCountTest, OtherCommandsKeepTheirWholeTransfer) {
    const CdbTransfer t = Shape({0x1A, 0, 0, 0, 12, 0}, DataDirection::In, 32);
    const auto s = Sense(true, 5);
    EXPECT_EQ(ReadDataCount::ValidBytes(t, s.data(), s.size()), 12u);
}

}  // namespace
