// Images damaged by crashes, bad media or other programs: a file cut short
// loads with its last whole record as end of data; damage in the middle
// gives MEDIUM ERROR at the damaged record, with the position held there,
// and SPACE FILEMARKS passes it to what follows. End of data is only where
// the image really ends.

#include <fcntl.h>

#include <filesystem>

#include "ImageBuilder.h"
#include "VtapeHarness.h"
#include "aspi/virtual/TapeImage.h"

namespace {

std::vector<BYTE> Bytes(std::size_t n, BYTE seed) {
    std::vector<BYTE> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = BYTE(seed + i * 13);
    return v;
}

// One object on tape: a record's data, or a filemark (nullopt-like: empty with mark set).
struct Object {
    bool filemark;
    std::vector<BYTE> data;
};

class VtapeDamage : public VtapeHarness, public ::testing::WithParamInterface<const char*> {
protected:
    bool Simh() const { return std::string(GetParam()) == "tap"; }
    std::string Image() const { return Path(std::string("t.") + GetParam()); }

    std::size_t ObjectBytes(const Object& o) const {
        if (o.filemark) return Simh() ? 4 : 6;
        return Simh() ? 8 + o.data.size() + (o.data.size() & 1) : 6 + o.data.size();
    }
    std::vector<BYTE> Build(const std::vector<Object>& objects) const {
        ImageBuilder b;
        for (const auto& o : objects) {
            if (Simh()) o.filemark ? b.SimhTapeMark() : b.SimhRecord(o.data);
            else o.filemark ? b.AwsTapeMark() : b.AwsRecord(o.data);
        }
        return b.bytes;
    }
    // Reads objects in variable mode until something other than a record or
    // filemark comes; returns that last result.
    CommandResult ReadAll(std::vector<Object>& got) {
        for (int guard = 0; guard < 100; ++guard) {
            std::vector<BYTE> in(100000);
            const auto r = ReadRecord(in);
            if (r.Good() || (r.IncorrectLength() && r.Key() == 0)) {
                in.resize(in.size() - std::size_t(r.Good() ? 0 : r.Information()));
                got.push_back({false, in});
            } else if (r.Filemark()) {
                got.push_back({true, {}});
            } else {
                return r;
            }
        }
        ADD_FAILURE() << "no end";
        return {};
    }
    const std::vector<Object> tape_ = {
        {false, Bytes(1, 1)},  {false, Bytes(2, 2)}, {false, Bytes(3, 3)}, {true, {}},
        {false, Bytes(100, 4)}, {true, {}},          {true, {}},          {false, Bytes(7, 5)},
    };
};

bool SameObjects(const std::vector<Object>& a, const std::vector<Object>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].filemark != b[i].filemark || a[i].data != b[i].data) return false;
    return true;
}

TEST_P(VtapeDamage, ImageCutAtEveryByteLoadsWholeRecordsAndAppendsAfterThem) {
    const auto full = Build(tape_);
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        PutFile(Image(), std::vector<BYTE>(full.begin(), full.begin() + cut));
        Install(Config(Image()));
        std::vector<Object> whole;
        std::size_t end = 0;
        for (const auto& o : tape_) {
            if (end + ObjectBytes(o) > cut) break;
            end += ObjectBytes(o);
            whole.push_back(o);
        }
        std::vector<Object> got;
        const auto r = ReadAll(got);
        ASSERT_EQ(r.Triple(), "08/00/05");
        ASSERT_TRUE(SameObjects(got, whole)) << got.size() << " objects read, " << whole.size() << " whole";
        // The next write replaces the partial tail.
        ASSERT_TRUE(WriteRecord(Bytes(5, 9)).Good());
        ASSERT_EQ(FileBytes(Image()).size(), end + ObjectBytes({false, Bytes(5, 9)}));
        Install(Config(Image()));
        got.clear();
        ASSERT_EQ(ReadAll(got).Triple(), "08/00/05");
        whole.push_back({false, Bytes(5, 9)});
        ASSERT_TRUE(SameObjects(got, whole));
    }
}

// Each case damages the second of three records; the first still reads.
struct Damage {
    const char* name;
    void (*apply)(std::vector<BYTE>& image, bool simh);
    // AWS has no trailing length: a header that does not follow from the
    // block before it (prev_len) makes that block suspect too.
    int awsFirstBad;
    bool simhOnly = false;
};

// Offsets of the three 10-byte records that begin kTape.
std::size_t Second(bool simh) { return simh ? 18 : 16; }

const Damage kDamages[] = {
    {"LengthMismatch",
     [](std::vector<BYTE>& image, bool simh) {
         // SIMH: trailing word differs; AWS: the next header's prev_len disagrees.
         if (simh) image[Second(true) + 14] = 11;
         else image[Second(false) + 16 + 2] = 9;
     },
     1},
    {"RecordShortInTheMiddle",
     [](std::vector<BYTE>& image, bool simh) {
         const auto at = image.begin() + std::ptrdiff_t(Second(simh) + 6);
         image.erase(at, at + 3);
     },
     1},
    {"JunkOverHeader",
     [](std::vector<BYTE>& image, bool simh) {
         for (std::size_t i = 0; i < 6; ++i) image[Second(simh) + i] = BYTE("J\xFFUNK!"[i]);
     },
     0},
    {"LengthPastTheEnd", [](std::vector<BYTE>& image, bool simh) { image[Second(simh) + 1] = 0xF0; }, 1},
    {"EndOfMediumWord",
     [](std::vector<BYTE>& image, bool) { std::fill_n(image.begin() + std::ptrdiff_t(Second(true)), 4, BYTE(0xFF)); },
     1, true},
};

const std::vector<Object> kTape = {{false, Bytes(10, 1)}, {false, Bytes(10, 2)}, {false, Bytes(10, 3)}, {true, {}},
                                   {false, Bytes(20, 4)}, {true, {}},           {false, Bytes(7, 5)}};

TEST_P(VtapeDamage, DamageInTheMiddleIsMediumErrorAndSpacingFilemarksPassesIt) {
    for (const auto& damage : kDamages) {
        if (damage.simhOnly && !Simh()) continue;
        SCOPED_TRACE(damage.name);
        auto image = Build(kTape);
        damage.apply(image, Simh());
        PutFile(Image(), image);
        Install(Config(Image()));
        const int good = Simh() ? 1 : damage.awsFirstBad;
        std::vector<BYTE> in(10);
        for (int i = 0; i < good; ++i) {
            ASSERT_TRUE(ReadRecord(in).Good());
            EXPECT_EQ(in, Bytes(10, BYTE(1 + i)));
        }
        EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00");
        EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00") << "position must not move past damage";
        auto r = Space(0, 3);
        EXPECT_EQ(r.Triple(), "03/11/00");
        EXPECT_EQ(r.Information(), 3);
        // Past the damage and the third record to what follows the filemark.
        ASSERT_TRUE(Space(1, 1).Good());
        std::vector<Object> got;
        EXPECT_EQ(ReadAll(got).Triple(), "08/00/05");
        EXPECT_TRUE(SameObjects(got, {kTape.begin() + 4, kTape.end()}));
        // The third record, between the damage and the filemark, is found
        // backwards; spacing blocks back stops at the damage before it.
        ASSERT_TRUE(Space(1, -2).Good());
        ASSERT_TRUE(Space(0, -1).Good());
        ASSERT_TRUE(ReadRecord(in).Good());
        EXPECT_EQ(in, Bytes(10, 3));
        r = Space(0, -2);
        EXPECT_EQ(r.Triple(), "03/11/00");
        EXPECT_EQ(r.Information(), -1);
        // End of data is the real end; back from there over the damage.
        ASSERT_TRUE(Rewind().Good());
        ASSERT_TRUE(Space(3, 0).Good());
        EXPECT_EQ(ReadRecord(in).Triple(), "08/00/05");
        r = Space(1, -3);
        EXPECT_EQ(r.Triple(), "00/00/04");
        EXPECT_EQ(r.Information(), -1);
        // Fixed-mode reads run into it the same way.
        ASSERT_TRUE(SetBlockLength(10).Good());
        std::vector<BYTE> blocks(30);
        r = ReadFixed(blocks, 3);
        EXPECT_EQ(r.Triple(), "03/11/00");
        EXPECT_EQ(r.Information(), 3 - good);
    }
}

TEST_P(VtapeDamage, FilemarksRightAfterDamageAreKept) {
    auto image = Build({kTape[0], kTape[1], kTape[3], kTape[3], kTape[4]});
    kDamages[3].apply(image, Simh());  // a length word pointing past the end
    PutFile(Image(), image);
    Install(Config(Image()));
    std::vector<BYTE> in(20);
    ASSERT_TRUE(ReadRecord(in, 0, 0x02).Good());
    EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00");
    ASSERT_TRUE(Space(1, 2).Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, kTape[4].data);
}

TEST_P(VtapeDamage, GarbageAfterTheLastObjectIsEndOfData) {
    auto image = Build({kTape.begin(), kTape.begin() + 4});
    const std::size_t end = image.size();
    for (const char c : std::string("J\xFFUNK! no tape here")) image.push_back(BYTE(c));
    PutFile(Image(), image);
    Install(Config(Image()));
    std::vector<Object> got;
    EXPECT_EQ(ReadAll(got).Triple(), "08/00/05");
    EXPECT_TRUE(SameObjects(got, {kTape.begin(), kTape.begin() + 4}));
    // The next write replaces the garbage.
    ASSERT_TRUE(WriteRecord(Bytes(5, 9)).Good());
    EXPECT_EQ(FileBytes(Image()).size(), end + ObjectBytes({false, Bytes(5, 9)}));
}

TEST_P(VtapeDamage, WriteAtDamageIsRefusedAndWritingAtTheLoadPointFormats) {
    auto image = Build(kTape);
    kDamages[3].apply(image, Simh());  // a length word pointing past the end
    PutFile(Image(), image);
    Install(Config(Image()));
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in).Good());
    ASSERT_EQ(ReadRecord(in).Key(), 3);
    auto r = WriteRecord(Bytes(5, 9));
    EXPECT_EQ(r.Triple(), "03/31/00");
    EXPECT_EQ(r.Information(), 5);
    EXPECT_EQ(WriteFilemarks(1).Triple(), "03/31/00");
    EXPECT_EQ(FileBytes(Image()), image);
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(WriteRecord(Bytes(5, 9)).Good());
    EXPECT_EQ(FileBytes(Image()), Build({{false, Bytes(5, 9)}}));
}

// A length at damage that runs past the end of the file: a record written
// at end of data would give it the bytes it lacks, and the damage would
// read as a record taking in the one written, after a reload and to a drive
// that had forgotten it and scanned again. Such a write is refused.
TEST_P(VtapeDamage, WriteThatDamageBeforeItWouldReadIntoIsRefused) {
    ImageBuilder b;
    std::size_t written = 5;
    if (Simh()) {
        written = 12;  // its length word is where the damage wants its trailing word
        b.SimhRecord(Bytes(10, 1)).Word32(12).SimhRecord(Bytes(4, 3));
    } else {
        // A block to the end of the record written, which no header follows.
        b.AwsRecord(Bytes(10, 1)).AwsHeader(21, 10, 0xA0).AwsRecord(Bytes(4, 3));
    }
    PutFile(Image(), b.bytes);
    Install(Config(Image()));
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in).Good());
    ASSERT_EQ(ReadRecord(in).Triple(), "03/11/00");
    ASSERT_TRUE(Space(3, 0).Good());
    EXPECT_EQ(WriteRecord(Bytes(written, 9)).Triple(), "03/31/00");
    EXPECT_EQ(FileBytes(Image()), b.bytes);
}

// Beyond the search reach the damage hides the rest of the tape: MEDIUM
// ERROR there, never end of data, and no write there.
TEST_P(VtapeDamage, DamageBeyondTheSearchReachIsAWall) {
    auto image = Build({kTape[0], kTape[3]});
    const std::size_t damage = image.size();
    for (int i = 0; i < 6; ++i) image.push_back(0xFF);  // SIMH: end of medium; AWS: no header
    PutFile(Image(), image);
    // Zeros are no record in either format; the tape goes on beyond them.
    std::filesystem::resize_file(Image(), damage + TapeImage::kResyncReach);
    const auto tail = Build({kTape[1], kTape[3]});
    std::ofstream(Image(), std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(tail.data()), std::streamsize(tail.size()));
    const auto size = std::filesystem::file_size(Image());
    Install(Config(Image(), 2 * size));
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in).Good());
    ASSERT_TRUE(ReadRecord(in).Filemark());
    EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00");
    auto r = Space(1, 1);
    EXPECT_EQ(r.Triple(), "03/11/00");
    EXPECT_EQ(r.Information(), 1);
    ASSERT_TRUE(Rewind().Good());
    EXPECT_EQ(Space(3, 0).Triple(), "03/11/00");
    EXPECT_EQ(WriteRecord(Bytes(5, 9)).Triple(), "03/31/00");
    EXPECT_EQ(std::filesystem::file_size(Image()), size);
}

TEST_P(VtapeDamage, DamagedBlockInsideAFixedRunStopsTheTransferThere) {
    ASSERT_TRUE((Install(Config(Image())), SetBlockLength(32).Good()));
    ASSERT_TRUE(WriteFixed(Blocks(64, 32), 64).Good());
    Install(std::vector<VirtualTapeConfig>{});
    auto image = FileBytes(Image());
    const std::size_t stride = Simh() ? 40 : 38;
    image[40 * stride + (Simh() ? 0 : 2)] ^= 0x01;  // block 40's length (SIMH) or prev_len (AWS)
    PutFile(Image(), image);
    Install(Config(Image()));
    ASSERT_TRUE(SetBlockLength(32).Good());
    std::vector<BYTE> in(64 * 32);
    const auto r = ReadFixed(in, 64);
    EXPECT_EQ(r.Key(), 3);
    // AWS blames the block before a broken prev_len.
    const int good = Simh() ? 40 : 39;
    EXPECT_EQ(r.Information(), 64 - good);
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + good * 32, Blocks(good, 32).begin()));
}

TEST_P(VtapeDamage, FramingBrokenAfterLoadIsCaughtWhenRead) {
    // Broken before the first read, and between two passes: what the drive
    // read the first time must not hide it.
    for (const bool firstPass : {false, true}) {
        SCOPED_TRACE(firstPass ? "between two passes" : "before the first read");
        Install(Config(Image()));
        ASSERT_TRUE(SetBlockLength(32).Good());
        ASSERT_TRUE(WriteFixed(Blocks(64, 32), 64).Good());
        ASSERT_TRUE(Rewind().Good());
        std::vector<BYTE> in(64 * 32);
        if (firstPass) {
            ASSERT_TRUE(ReadFixed(in, 64).Good());
            ASSERT_TRUE(Rewind().Good());
        }
        // Another program scribbles over block 10's framing behind the drive's back.
        const std::size_t stride = Simh() ? 40 : 38;
        const int fd = open(Image().c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const BYTE junk = 0x5A;
        ASSERT_EQ(pwrite(fd, &junk, 1, off_t(10 * stride + (Simh() ? stride - 4 : 0))), 1);
        close(fd);
        const auto r = ReadFixed(in, 64);
        EXPECT_EQ(r.Triple(), "03/11/00");
        EXPECT_EQ(r.Information(), 54);
        EXPECT_TRUE(std::equal(in.begin(), in.begin() + 10 * 32, Blocks(10, 32).begin()));
        EXPECT_EQ(ReadFixed(in, 1).Key(), 3) << "position stays at the damaged block";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, VtapeDamage, ::testing::Values("tap", "aws"));

using SimhImage = VtapeHarness;

TEST_F(SimhImage, ExtendedObjectsArePassedOverAndEndOfMediumEndsData) {
    ImageBuilder b;
    b.Word32(0xFFFFFFFE).Word32(0xFFFFFFFE);               // erase gap
    b.SimhRecord(Bytes(9, 1), 0xE);                        // tape description
    b.SimhRecord(Bytes(10, 2));
    b.Word32(0x70000001);                                  // private marker
    b.SimhRecord(Bytes(4, 3), 0x3);                        // private record
    b.Word32(0xFFFEFFFF).Raw({0xFF, 0xFF});                // gap of 6 bytes: half gap first
    b.SimhTapeMark();
    b.SimhRecord(Bytes(6, 4));
    const std::size_t endOfData = b.bytes.size();
    b.Word32(0xFFFFFFFF);                                  // end of medium
    b.Word32(8).Raw(Bytes(5, 5));                          // beyond it: no whole record
    PutFile(Path("x.tap"), b.bytes);
    InstallImage("x.tap");
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Bytes(10, 2));
    EXPECT_TRUE(ReadRecord(in).Filemark());
    in.assign(6, 0);
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Bytes(6, 4));
    EXPECT_EQ(ReadRecord(in).Triple(), "08/00/05");
    // Writing at end of data replaces the end-of-medium word.
    ASSERT_TRUE(WriteRecord(Bytes(2, 6)).Good());
    EXPECT_EQ(FileBytes(Path("x.tap")).size(), endOfData + 10);
}

// A write replaces what the reader passed over just before it. A half gap
// is known by the two bytes after it; left in place, it would take them
// from the new record's length word, and after a reload the records
// written would read as blank tape.
TEST_F(SimhImage, WriteAfterAHalfGapReadsBackAfterAReload) {
    const std::vector<BYTE> halfGap = {0xFF, 0xFF, 0xFE, 0xFF, 0x1C, 0x00, 0x5F, 0x02};
    for (const bool atStart : {true, false}) {
        SCOPED_TRACE(atStart ? "at the load point" : "at end of data");
        ImageBuilder b;
        if (!atStart) b.SimhRecord(Bytes(3, 1));
        b.Raw(halfGap);
        PutFile(Path("g.tap"), b.bytes);
        InstallImage("g.tap");
        if (!atStart) {
            ASSERT_TRUE(Space(3, 0).Good());
        }
        ASSERT_TRUE(WriteRecord(Bytes(5, 7)).Good());
        InstallImage("g.tap");
        std::vector<BYTE> in(5);
        if (!atStart) {
            ASSERT_TRUE(Space(0, 1).Good());
        }
        ASSERT_TRUE(ReadRecord(in).Good());
        EXPECT_EQ(in, Bytes(5, 7));
        EXPECT_EQ(ReadRecord(in).Triple(), "08/00/05");
    }
}

TEST_F(SimhImage, BadDataRecordIsMediumErrorUntilSpacedOver) {
    ImageBuilder b;
    b.SimhRecord(Bytes(10, 1)).SimhRecord(Bytes(10, 2), 0x8).SimhRecord(Bytes(10, 3));
    PutFile(Path("x.tap"), b.bytes);
    InstallImage("x.tap");
    std::vector<BYTE> in(10);
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00");
    EXPECT_EQ(ReadRecord(in).Triple(), "03/11/00") << "a retry must not read the next record instead";
    ASSERT_TRUE(Space(0, 1).Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Bytes(10, 3));
}

TEST_F(SimhImage, UndefinedMarkersAndOverlongLengthsAreMediumErrors) {
    for (std::uint32_t word : {0xF0000000u, 0xFFFE0001u, 0x01000000u}) {
        SCOPED_TRACE(word);
        ImageBuilder b;
        b.SimhRecord(Bytes(4, 1)).Word32(word).SimhRecord(Bytes(4, 2)).SimhRecord(Bytes(4, 3));
        PutFile(Path("x.tap"), b.bytes);
        InstallImage("x.tap");
        std::vector<BYTE> in(4);
        ASSERT_TRUE(ReadRecord(in).Good());
        EXPECT_EQ(ReadRecord(in).Key(), 3);
    }
}

using AwsImage = VtapeHarness;

TEST_F(AwsImage, MalformedHeadersAreMediumErrors) {
    struct Case {
        const char* name;
        std::uint16_t current, previous;
        std::uint8_t flags1, flags2;
    } cases[] = {
        {"tapemark with a length", 4, 4, 0x40, 0},
        {"no begin-of-record flag", 4, 4, 0x20, 0},
        {"compressed block", 4, 4, 0xA1, 0},
        {"flags2 set", 4, 4, 0xA0, 0x80},
        {"empty segment", 0, 4, 0xA0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBuilder b;
        b.AwsRecord(Bytes(4, 1));
        b.AwsHeader(c.current, c.previous, c.flags1, c.flags2).Raw(Bytes(c.current, 2));
        b.AwsHeader(4, c.current, 0xA0).Raw(Bytes(4, 3));
        PutFile(Path("x.aws"), b.bytes);
        InstallImage("x.aws");
        std::vector<BYTE> in(4);
        ASSERT_TRUE(ReadRecord(in).Good());
        EXPECT_EQ(ReadRecord(in).Key(), 3);
    }
}

TEST_F(AwsImage, BlockCutAtASegmentBoundaryIsNotData) {
    InstallImage("x.aws");
    ASSERT_TRUE(WriteRecord(Bytes(10, 1)).Good());
    ASSERT_TRUE(WriteRecord(Bytes(70000, 2)).Good());
    Install(std::vector<VirtualTapeConfig>{});
    auto image = FileBytes(Path("x.aws"));
    ASSERT_EQ(image.size(), 16u + 6 + 65535 + 6 + (70000 - 65535));
    image.resize(16 + 6 + 65535);  // first segment whole, the last one missing
    PutFile(Path("x.aws"), image);
    InstallImage("x.aws");
    std::vector<BYTE> in(70000);
    ASSERT_EQ(ReadRecord(in).Information(), 70000 - 10);
    EXPECT_EQ(ReadRecord(in).Triple(), "08/00/05");
    // And the multi-segment block reads back whole when it is whole.
    ASSERT_TRUE(WriteRecord(Bytes(70000, 3)).Good());
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(Space(0, 1).Good());
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Bytes(70000, 3));
}

}  // namespace
