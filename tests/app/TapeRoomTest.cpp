// The warning before a tape fills: fewer than 10% of the catalog's 999
// entries or of the cartridge's capacity left.

#include <gtest/gtest.h>

#include "app/TapeRoom.h"

struct RoomCase {
    const char* name;
    TapeRoom room;
    const char* shortage;
};

class TapeRoomTest : public testing::TestWithParam<RoomCase> {};

TEST_P(TapeRoomTest, WarnsBelowTenPercent) { EXPECT_EQ(GetParam().room.Shortage(), GetParam().shortage); }

INSTANTIATE_TEST_SUITE_P(
    Rooms, TapeRoomTest,
    testing::Values(RoomCase{"Plenty", {899, 0, 1000, 899}, ""},
                    RoomCase{"FewEntries", {900, 0, -1, -1}, "99 of 999 catalog entries left"},
                    RoomCase{"FullCatalog", {999, 0, -1, -1}, "0 of 999 catalog entries left"},
                    RoomCase{"FewBytes", {10, 0, 1000, 901}, "99 of 1000 bytes left on the cartridge"},
                    RoomCase{"Both", {950, 0, 1000, 1200},
                             "49 of 999 catalog entries left, 0 of 1000 bytes left on the cartridge"},
                    RoomCase{"NothingKnown", {-1, 0, -1, -1}, ""}),
    [](const testing::TestParamInfo<RoomCase>& info) { return std::string(info.param.name); });
