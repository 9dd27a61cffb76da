// A tape damaged in the middle or at its end, as users meet it: the catalog
// made from it keeps every record in its place, every other file restores
// and verifies by name, the next backup appends, and nothing that could be
// read is written over.

#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "JobFixture.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RebuildDirFile.h"
#include "jobs/ScrubJob.h"
#include "support/HandBuiltBlocks.h"

namespace {

class SilentHost : public MaintenanceHost {
public:
    void ShowDriveStatus() override {}
    void ShowDirectoryFiles() override {}
};

class DamagedTapeTest : public JobFixture {
protected:
    // Six files on tape "Daily"; f2.bin (record 3) has a header and six
    // data blocks.
    void SetUpTape() {
        Format();
        for (int i = 0; i < 6; ++i) {
            names.push_back("f" + std::to_string(i) + ".bin");
            contents.push_back(MakeFile(names.back(), 1000u + 2500u * static_cast<unsigned>(i), 10 + i));
        }
        BackUp(names);
        ASSERT_EQ(Texts().size(), 1u);
        messages.shown.clear();
    }

    // Changes the image's objects (and then its bytes) with the cartridge
    // out of the drive.
    void ChangeObjects(const std::function<void(std::vector<TapObject>&)>& change,
                       const std::function<void(Bytes&, const std::vector<TapObject>&)>& bytes = {}) {
        ChangeImage([&] {
            bool ok = false;
            auto objects = TapImage::Parse(image, ok);
            ASSERT_TRUE(ok);
            if (change) change(objects);
            TapImage::Write(image, objects);
            if (bytes) {
                Bytes b = ReadFile(image);
                bytes(b, objects);
                WriteFile(image, b);
            }
        });
    }
    // Object `index` flagged as one the drive cannot read (SIMH's bad-data
    // class).
    static void MarkBad(Bytes& b, const std::vector<TapObject>& objects, std::size_t index) {
        const std::size_t at = TapImage::OffsetOf(objects, index);
        b[at + 3] |= 0x80;
        b[at + 4 + objects[index].data.size() + 3] |= 0x80;
    }

    JobResult Rebuild() {
        messages.answers = {kMessageOk, kMessageOk};
        RebuildDirFile rebuild(messages, status, device, drive, *volume, dirFile);
        return rebuild.Run(startDirectory, host);
    }
    JobResult RestoreRows(const std::vector<int>& rows) {
        ListCatalog(CatalogPath("Daily"));
        MarkRows(rows, 11, 15);
        window.folder = Dst();
        return StartCommand(kRestoreJobTab);
    }
    JobResult VerifyRows(const std::vector<int>& rows) {
        ListCatalog(CatalogPath("Daily"));
        MarkRows(rows, 19, 20);
        window.folder = Src();
        return StartCommand(kVerifyJobTab);
    }
    JobResult FullRestore() {
        window.rows.clear();
        window.folder = Dst();
        messages.answers = {kMessageOk};
        return StartCommand(kRestoreJobTab);
    }
    std::vector<std::string> CatalogNames() {
        std::vector<std::string> list;
        for (const auto& e : Entries(CatalogPath("Daily"))) list.push_back(e.name);
        return list;
    }
    void ExpectRestored(int i) {
        EXPECT_EQ(ReadFile(Dst() + names[static_cast<std::size_t>(i)]), contents[static_cast<std::size_t>(i)])
            << names[static_cast<std::size_t>(i)];
    }
    // Backs up g.bin after the damage and restores it by name.
    void ExpectAppendAndRestoreOfANewFile() {
        const Bytes added = MakeFile("g.bin", 5000, 99);
        messages.shown.clear();
        window.rows = {{"g.bin", 12}};
        window.folder = Src();
        EXPECT_EQ(StartCommand(kBackupJobTab), JobResult::Done) << Texts()[0];
        const auto entries = Entries(CatalogPath("Daily"));
        ASSERT_EQ(entries.back().name, "g.bin");
        std::filesystem::remove_all(Dst());
        std::filesystem::create_directories(Dst());
        EXPECT_EQ(RestoreRows({static_cast<int>(entries.size()) - 1}), JobResult::Done) << Texts().back();
        EXPECT_EQ(ReadFile(Dst() + "g.bin"), added);
    }

    SilentHost host;
    std::vector<std::string> names;
    std::vector<Bytes> contents;
};

// Record 3 damaged in five ways: after a rebuild the other five files
// restore and verify by name, byte for byte, and the next backup appends.
struct Damage {
    const char* what;
    bool headerLost;  // the catalog can only list the record as damaged
};

class DamagedRecordTest : public DamagedTapeTest, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedRecordTest, RebuildKeepsEveryOtherFileInItsPlace) {
    SetUpTape();
    const std::string what = GetParam().what;
    ChangeObjects(
        [&](std::vector<TapObject>& objects) {
            const std::size_t header = RecordStart(objects, 3);
            if (what == "ImplausibleHeader") objects[header].data[280] ^= 0x10;
            if (what == "CutShort")
                objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(header) + 3,
                              objects.begin() + static_cast<std::ptrdiff_t>(header) + 6);
            if (what == "Garbage")
                for (std::size_t i = header; i < header + 7; ++i) objects[i].data = Pattern(1024, 77 + i);
        },
        [&](Bytes& b, const std::vector<TapObject>& objects) {
            const std::size_t header = RecordStart(objects, 3);
            if (what == "UnreadableData") MarkBad(b, objects, header + 2);
            if (what == "UnreadableHeader") MarkBad(b, objects, header);
        });
    std::filesystem::remove(CatalogPath("Daily"));

    EXPECT_EQ(Rebuild(), GetParam().headerLost ? JobResult::Failed : JobResult::Done) << Texts().back();
    const auto listed = CatalogNames();
    ASSERT_EQ(listed.size(), 6u);
    EXPECT_EQ(listed[2], GetParam().headerLost ? "/damaged file record/" : "f2.bin");
    EXPECT_EQ(listed[3], "f3.bin");

    messages.shown.clear();
    EXPECT_EQ(RestoreRows({0, 1, 3, 4, 5}), JobResult::Done) << Texts().back();
    for (int i : {0, 1, 3, 4, 5}) ExpectRestored(i);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f2.bin"));

    EXPECT_EQ(VerifyRows({0, 1, 3, 4, 5}), JobResult::Done);
    ASSERT_EQ(results.Rows().size(), 5u);
    for (const auto& row : results.Rows()) EXPECT_EQ(row.status, "OK") << row.name;

    ExpectAppendAndRestoreOfANewFile();
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedRecordTest,
                         testing::Values(Damage{"UnreadableData", false}, Damage{"UnreadableHeader", true},
                                         Damage{"ImplausibleHeader", true}, Damage{"CutShort", false},
                                         Damage{"Garbage", true}),
                         [](const auto& info) { return std::string(info.param.what); });

// Restoring or verifying the damaged record by name says that it is damaged
// and never reads another record in its place.
TEST_F(DamagedTapeTest, DamagedEntryIsReportedNotRead) {
    SetUpTape();
    ChangeObjects([](std::vector<TapObject>& objects) { objects[RecordStart(objects, 3)].data[0] = 0; });
    ASSERT_EQ(Rebuild(), JobResult::Failed);
    messages.shown.clear();
    cdbs.clear();
    EXPECT_EQ(RestoreRows({2}), JobResult::Failed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: file record 3 on tape is damaged: its header could not be "
                                                 "read when the DirFile was made from the tape",
                                                 "Restore error"}));
    EXPECT_EQ(VerifyRows({2, 3}), JobResult::Done);
    ASSERT_EQ(results.Rows().size(), 2u);
    EXPECT_EQ(results.Rows()[0].status, "Damaged");
    EXPECT_EQ(results.Rows()[1].status, "OK");
}

// A rebuild spaces over each record: a few commands per record, however
// long the record is (four records of 100 MB).
TEST_F(DamagedTapeTest, RebuildSpacesOverRecordsWithoutReadingThem) {
    constexpr std::uint32_t kSize = 100u << 20;
    constexpr std::uint32_t kBlocks = kSize / 1024 + 1;
    ChangeImage([&] {
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        auto put = [&](const Bytes& bytes) { ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); };
        auto frame = [](const Bytes& block) {
            Bytes out;
            TapImage::Put(out, static_cast<std::uint32_t>(block.size()));
            out.insert(out.end(), block.begin(), block.end());
            TapImage::Put(out, static_cast<std::uint32_t>(block.size()));
            return out;
        };
        const Bytes mark(4, 0);
        put(frame(HandBuilt::Ident(1024, "Daily", "01.02.2026", "1.6")));
        put(mark);
        // 256 zero blocks at a time, framed.
        Bytes run;
        for (int i = 0; i < 256; ++i) {
            const Bytes framed = frame(Bytes(1024, 0));
            run.insert(run.end(), framed.begin(), framed.end());
        }
        for (int r = 0; r < 4; ++r) {
            put(frame(HandBuilt::Header(1024, 1, "big" + std::to_string(r), "01.02.2026", "01.02.2026", kSize, kBlocks)));
            for (std::uint32_t left = kBlocks; left > 0;) {
                const std::uint32_t n = std::min<std::uint32_t>(left, 256);
                put(Bytes(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(n * 1032)));
                left -= n;
            }
            put(mark);
        }
        ASSERT_EQ(::close(fd), 0);
    });
    cdbs.clear();
    ASSERT_EQ(Rebuild(), JobResult::Done) << Texts().back();
    EXPECT_EQ(CatalogNames(), (std::vector<std::string>{"big0", "big1", "big2", "big3"}));
    // Per record: a READ of its header and a SPACE over its filemark; then
    // the READ that meets the end of data, besides the ident block's.
    EXPECT_LE(Count(0x08), 4u + 2u);
    EXPECT_LE(Count(0x11), 4u + 1u);
    std::filesystem::remove(image);
}

// What a crash leaves at the end of the image (zeros, read as filemarks),
// and a last record whose data cannot be read, block nothing: the rebuild
// lists the records, and the next backup appends.
TEST_F(DamagedTapeTest, DamagedEndDoesNotBlockTheNextBackup) {
    SetUpTape();
    ChangeObjects({}, [](Bytes& b, const std::vector<TapObject>& objects) {
        MarkBad(b, objects, RecordStart(objects, 6) + 1);
        b.resize(b.size() + 4096, 0);
    });
    EXPECT_EQ(Rebuild(), JobResult::Done) << Texts().back();
    EXPECT_EQ(CatalogNames(), names);
    ExpectAppendAndRestoreOfANewFile();
}

// One damaged length word in the middle of the tape is damage, not its end:
// a full restore gets every other file and does not end as a success, the
// catalog made from the tape keeps the record's place, and the next backup
// appends after the last record, losing nothing behind the damage.
class DamagedLengthWordTest : public DamagedTapeTest, public testing::WithParamInterface<std::uint32_t> {};

TEST_P(DamagedLengthWordTest, LosesNothingBehindIt) {
    SetUpTape();
    ChangeObjects({}, [](Bytes& b, const std::vector<TapObject>& objects) {
        const std::size_t at = TapImage::OffsetOf(objects, RecordStart(objects, 3));
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(GetParam() >> (8 * i));
    });
    EXPECT_EQ(FullRestore(), JobResult::Failed);
    EXPECT_EQ(Texts()[1], "Error: file record 3 on tape skipped: its header cannot be read");
    for (int i : {0, 1, 3, 4, 5}) ExpectRestored(i);

    EXPECT_EQ(Rebuild(), JobResult::Failed);
    EXPECT_EQ(CatalogNames(),
              (std::vector<std::string>{"f0.bin", "f1.bin", "/damaged file record/", "f3.bin", "f4.bin", "f5.bin"}));
    ExpectAppendAndRestoreOfANewFile();
    std::filesystem::remove_all(Dst());
    std::filesystem::create_directories(Dst());
    EXPECT_EQ(RestoreRows({5}), JobResult::Done);
    ExpectRestored(5);
}

// A length that runs past the end of the image, and the end-of-medium word.
INSTANTIATE_TEST_SUITE_P(Words, DamagedLengthWordTest, testing::Values(0x00FFFF00u, 0xFFFFFFFFu));

// A filemark lost or a block written twice: the record is no longer whole,
// and neither a full restore nor a restore by name gives a file from it.
struct Mangle {
    const char* what;
    std::vector<int> restored;  // by a full restore
};

class MangledRecordTest : public DamagedTapeTest, public testing::WithParamInterface<Mangle> {};

TEST_P(MangledRecordTest, IsDamageNotAFile) {
    SetUpTape();
    const std::string what = GetParam().what;
    ChangeObjects([&](std::vector<TapObject>& objects) {
        const auto header = static_cast<std::ptrdiff_t>(RecordStart(objects, 3));
        if (what == "LostFilemark") objects.erase(objects.begin() + header + 7);
        if (what == "RepeatedBlock") objects.insert(objects.begin() + header + 3, objects[static_cast<std::size_t>(header) + 2]);
    });
    EXPECT_EQ(RestoreRows({2}), JobResult::Failed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: the record of 'f2.bin' on tape is damaged: more blocks than "
                                                 "its header says",
                                                 "Restore error"}));
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f2.bin"));

    messages.shown.clear();
    EXPECT_EQ(FullRestore(), JobResult::Failed);
    EXPECT_EQ(Texts()[1], "Error: file record 3 on tape skipped: more blocks than its header says");
    EXPECT_EQ(messages.shown.back().kind, Attention);
    for (int i : GetParam().restored) ExpectRestored(i);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f2.bin"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, MangledRecordTest,
                         testing::Values(Mangle{"LostFilemark", {0, 1, 4, 5}},
                                         Mangle{"RepeatedBlock", {0, 1, 3, 4, 5}}),
                         [](const auto& info) { return std::string(info.param.what); });

// One byte of f2.bin's data changed on tape, every block still readable:
// only the checksum kept beside the catalog can tell. Scrub names that
// file and no other, a restore keeps it away from its name, and verify
// calls it damage on tape even though the file on disk is the original.
TEST_F(DamagedTapeTest, OneFlippedByteIsFoundByItsChecksum) {
    SetUpTape();
    ChangeObjects([&](std::vector<TapObject>& objects) { objects[RecordStart(objects, 3) + 2].data[17] ^= 0x01; });

    ScrubJob scrub(*context);
    EXPECT_EQ(scrub.Run().result, JobResult::Failed);
    std::vector<std::string> rows;
    for (const ScrubRow& row : scrub.Rows())
        rows.push_back(std::to_string(row.record) + " " + row.name + ": " + ScrubStatusText(row));
    EXPECT_EQ(rows, (std::vector<std::string>{"1 f0.bin: OK", "2 f1.bin: OK",
                                              "3 f2.bin: checksum differs: the tape is damaged", "4 f3.bin: OK",
                                              "5 f4.bin: OK", "6 f5.bin: OK"}));

    messages.shown.clear();
    EXPECT_EQ(RestoreRows({1, 2, 3}), JobResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f2.bin"));
    EXPECT_TRUE(std::filesystem::exists(Dst() + "f2.bin.tapewren-damaged"));
    EXPECT_EQ(Texts().front(), "Error: the data of '" + Dst() + "f2.bin' read from tape does not match the checksum "
                               "taken when it was backed up: the tape is damaged there. It was kept as '" +
                                   Dst() + "f2.bin.tapewren-damaged', not under its own name.");
    ExpectRestored(1);
    ExpectRestored(3);

    EXPECT_EQ(VerifyRows({1, 2, 3}), JobResult::Done);
    ASSERT_EQ(results.Rows().size(), 3u);
    EXPECT_EQ(results.Rows()[0].status, "OK");
    EXPECT_EQ(results.Rows()[1].status, "Tape damaged");
    EXPECT_EQ(results.Rows()[2].status, "OK");
}

}  // namespace
