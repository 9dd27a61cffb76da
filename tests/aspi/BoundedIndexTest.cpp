// The index of a cartridge holds a bounded number of runs: an image of
// millions of tiny records and filemarks loads, reads and spaces in bounded
// memory, and a drive that has forgotten most of its index moves exactly as
// one that has not.

#include "ImageBuilder.h"
#include "VtapeHarness.h"
#include "aspi/virtual/TapeIndex.h"

namespace {

class VtapeBoundedIndex : public VtapeHarness, public ::testing::WithParamInterface<const char*> {
protected:
    bool Simh() const { return std::string(GetParam()) == "tap"; }
    std::string Image(const char* stem = "t") const { return Path(std::string(stem) + "." + GetParam()); }
    void Record(ImageBuilder& b, const std::vector<BYTE>& data) const {
        Simh() ? b.SimhRecord(data) : b.AwsRecord(data);
    }
    void Filemark(ImageBuilder& b) const { Simh() ? b.SimhTapeMark() : b.AwsTapeMark(); }
};

TEST_P(VtapeBoundedIndex, TinyRecordsBetweenFilemarksKeepTheIndexBounded) {
    // Twice as many runs as the index holds: record i holds the byte i.
    const std::size_t pairs = TapeIndex::kDefaultRuns;
    ImageBuilder b;
    for (std::size_t i = 0; i < pairs; ++i) {
        Record(b, {BYTE(i)});
        Filemark(b);
    }
    PutFile(Image(), b.bytes);
    Install(Config(Image()));
    ASSERT_TRUE(Space(3, 0).Good());
    const TapeIndex& index = Drive().Loaded()->Index();
    EXPECT_EQ(index.RunCount(), 2 * pairs);
    EXPECT_LE(index.HeldRuns(), TapeIndex::kDefaultRuns);
    // Back from the end, and from the load point after a rewind.
    std::vector<BYTE> in(1);
    ASSERT_TRUE(Space(1, -2).Good());
    ASSERT_TRUE(Space(1, 1).Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in[0], BYTE(pairs - 1));
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in[0], 0);
    ASSERT_TRUE(Space(1, 1000).Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in[0], BYTE(1000));
    EXPECT_LE(index.HeldRuns(), TapeIndex::kDefaultRuns);
}

// Two drives on copies of one image, one holding the fewest runs an index
// may hold: every command of a long random walk gives both the same status,
// sense data and data, and writes leave the same bytes.
TEST_P(VtapeBoundedIndex, ForgetfulIndexMovesExactlyAsAFullOne) {
    std::uint32_t x = 2463534242u;
    auto next = [&x](std::uint32_t n) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x % n;
    };
    const std::uint32_t lengths[] = {1, 2, 7, 7, 7, 100};
    ImageBuilder b;
    for (int i = 0; i < 400; ++i) {
        if (next(4) == 0) {
            Filemark(b);
        } else {
            const std::uint32_t length = lengths[next(6)];
            for (std::uint32_t copies = 1 + next(3); copies > 0; --copies) Record(b, Blocks(1, length, i));
        }
    }
    PutFile(Image("small"), b.bytes);
    PutFile(Image("full"), b.bytes);
    VirtualTapeConfig forgetful = Config(Image("small"));
    forgetful.indexRuns = TapeIndex::kMinRuns;
    Install({forgetful, Config(Image("full"))});
    for (BYTE a = 0; a < 2; ++a) ASSERT_TRUE(SetBlockLength(7, a).Good());
    for (int step = 0; step < 3000; ++step) {
        const std::uint32_t op = next(20);
        const auto n = static_cast<std::int32_t>(next(9)) - 4;
        const bool write = next(8) == 0;
        std::vector<BYTE> data[2];
        CommandResult r[2];
        for (BYTE a = 0; a < 2; ++a) {
            data[a].assign(100, 0xEE);
            if (op < 6) r[a] = ReadRecord(data[a], a);
            else if (op < 9) r[a] = ReadFixed(data[a], 1 + std::uint32_t(n + 4), a);
            else if (op < 13) r[a] = Space(0, 3 * n, a);
            else if (op < 17) r[a] = Space(1, n, a);
            else if (op == 17) r[a] = Rewind(a);
            else if (op == 18) r[a] = Space(3, 0, a);
            else r[a] = write ? WriteRecord(Blocks(1, 7, step), a) : TestUnitReady(a);
        }
        ASSERT_EQ(r[0].status, r[1].status) << "step " << step << " op " << op << " n " << n;
        ASSERT_EQ(r[0].sense, r[1].sense) << "step " << step << " op " << op << " n " << n;
        ASSERT_EQ(data[0], data[1]) << "step " << step;
    }
    EXPECT_LE(Drive(0).Loaded()->Index().HeldRuns(), TapeIndex::kMinRuns);
    Install(std::vector<VirtualTapeConfig>{});
    EXPECT_EQ(FileBytes(Image("small")), FileBytes(Image("full")));
}

// Damage whose framing looks past the end of data, then more runs than the
// small index holds: a write at end of data is checked against the damage
// it has forgotten exactly as against damage it holds, and accepted by both.
TEST_P(VtapeBoundedIndex, WriteAfterForgottenDamageIsJudgedAsByAFullIndex) {
    ImageBuilder b;
    Record(b, Blocks(1, 10, 1));
    if (Simh()) b.Word32(0x00FFFF00);    // a length that runs past the end of the file
    else b.AwsHeader(0xFFFF, 10, 0xA0);  // a block no header follows
    for (std::uint32_t i = 1; i <= 12; ++i) {
        Record(b, Blocks(1, i, i));
        Filemark(b);
    }
    PutFile(Image("small"), b.bytes);
    PutFile(Image("full"), b.bytes);
    VirtualTapeConfig forgetful = Config(Image("small"));
    forgetful.indexRuns = TapeIndex::kMinRuns;
    Install({forgetful, Config(Image("full"))});
    for (BYTE a = 0; a < 2; ++a) {
        ASSERT_TRUE(Space(3, 0, a).Good());
        EXPECT_TRUE(WriteRecord(Blocks(1, 20, 9), a).Good()) << "drive " << int(a);
    }
    EXPECT_GT(Drive(0).Loaded()->Index().First(), 1u);  // the damage is forgotten
    Install(std::vector<VirtualTapeConfig>{});
    EXPECT_EQ(FileBytes(Image("small")), FileBytes(Image("full")));
}

INSTANTIATE_TEST_SUITE_P(Formats, VtapeBoundedIndex, ::testing::Values("tap", "aws"));

}  // namespace
