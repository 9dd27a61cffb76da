// A backup of a few hundred files killed with SIGKILL at random moments, on
// a fresh tape each time. After each kill a rebuild or a further backup, then
// a full restore: every catalog entry describes a complete record (checked
// with mtdump, not with our own reader), every record that was complete when
// the run died is still listed and comes back byte for byte, and the next
// backup works. The catalog is put on the medium at the end of a run, not
// after each entry: every third kill also cuts it back to fewer whole entries,
// as a crash of the machine may, and the next backup must notice the records
// it no longer lists.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "CliFixture.h"
#include "support/TapeStructure.h"

namespace {

constexpr int kFiles = 200;
constexpr int kKills = 32;
constexpr int kBlockLength = 1024;

class CliCrashTest : public CliFixture {
protected:
    // Every entry is synced to its disk; a memory-backed folder keeps that
    // quick.
    std::string TempBase() const override { return std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp"; }

    // Names of the complete records on tape (those closed by a filemark),
    // in tape order, from the image itself. The kill may have cut the image
    // inside its last record: what stands before that counts.
    std::vector<std::string> CompleteRecords() {
        bool whole = false;
        const auto objects = TapImage::Parse(Tape(), whole);
        std::vector<std::string> names;
        std::string name;
        bool header = false;
        int marks = 0;
        for (const auto& o : objects) {
            if (o.filemark) {
                if (++marks > 1) names.push_back(name);
                header = true;
                continue;
            }
            if (header && marks > 0) name = TapeStructure::Text(o.data, 1, 256);
            header = false;
        }
        return names;
    }
    std::vector<std::string> CatalogNames() {
        std::vector<std::string> names;
        for (const auto& e : TapeStructure::ReadCatalog(Catalog())) names.push_back(e.name);
        return names;
    }
};

TEST_F(CliCrashTest, BackupKilledAtRandomMomentsLosesNothingFinished) {
    std::mt19937 random(20261207);
    std::vector<std::string> backup = {"backup"};
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.bin", i);
        Write(std::string("src/") + name, Pattern(random() % 6000, static_cast<std::uint32_t>(i)));
        backup.push_back(std::string("../src/") + name);
    }
    Write("src/extra.bin", Pattern(2500, 999));

    // A whole run gives the time over which the kills spread; a run that
    // ends before its kill narrows it.
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    auto started = std::chrono::steady_clock::now();
    const CliRun whole = cli->Run(backup);
    ASSERT_EQ(whole.status, 0) << whole.err;
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    // Only kills that land while the run writes to the tape count: one in
    // the program's start-up tells nothing.
    int kills = 0;
    int amongEntries = 0;  // kills that found some entries of the run written, not all
    for (int round = 0; kills < kKills && round < 30 * kKills; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Over the catalog and the records of the round before.
        ASSERT_EQ(cli->Run({"format", "Daily", "--yes", "--force"}).status, 0);
        const auto formatted = std::filesystem::file_size(Tape());
        const auto after = std::chrono::microseconds(random() % static_cast<std::uint64_t>(span.count() + 1));
        started = std::chrono::steady_clock::now();
        if (cli->RunKilledAfter(backup, after).status != -1) {
            span = std::min(span, std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - started));
            continue;
        }
        if (std::filesystem::file_size(Tape()) == formatted) continue;
        ++kills;

        // What had finished when the run died: the catalog lags the tape by
        // at most the record whose entry was being written.
        const auto complete = CompleteRecords();
        const auto listed = CatalogNames();
        ASSERT_LE(listed.size(), complete.size());
        ASSERT_LE(complete.size(), listed.size() + 1);
        ASSERT_TRUE(std::equal(listed.begin(), listed.end(), complete.begin()));
        if (!listed.empty() && listed.size() < static_cast<std::size_t>(kFiles)) ++amongEntries;

        // What a crash of the machine may leave of entries not yet synced.
        std::size_t kept = listed.size();
        if (kills % 3 == 1) {
            kept = random() % (listed.size() + 1);
            std::filesystem::resize_file(Catalog(), 78 + 286 * kept);
        }

        // A rebuild, or a further backup (refused while a complete record
        // is not listed, and then a rebuild), and the next backup works.
        const bool rebuild = kills % 2 == 0;
        if (rebuild) {
            ASSERT_EQ(cli->Run({"rebuild", "--yes"}).status, 0);
        }
        CliRun next = cli->Run({"backup", "../src/extra.bin"});
        if (complete.size() > kept && !rebuild) {
            const std::size_t unlisted = complete.size() - kept;
            EXPECT_EQ(next.status, 1);
            EXPECT_NE(next.err.find("Error: the tape holds " + std::to_string(unlisted) + " file record" +
                                    (unlisted == 1 ? "" : "s") + " that the DirFile"),
                      std::string::npos)
                << next.err;
            ASSERT_EQ(cli->Run({"rebuild", "--yes"}).status, 0);
            next = cli->Run({"backup", "../src/extra.bin"});
        }
        ASSERT_EQ(next.status, 0) << next.err;

        auto expected = complete;
        expected.push_back("extra.bin");
        ASSERT_EQ(CatalogNames(), expected);
        TapeStructure::ExpectMatches(Tape(), Catalog(), kBlockLength, Path("scratch"));

        std::filesystem::remove_all(Path("dst"));
        std::filesystem::create_directories(Path("dst"));
        const CliRun restore = cli->Run({"restore", "--to", "../dst", "--all", "--yes"});
        ASSERT_EQ(restore.status, 0) << restore.err;
        for (const auto& name : expected) {
            ASSERT_EQ(Read("dst/" + name), Read("src/" + name)) << name;
        }
        ASSERT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Path("dst")),
                                                         std::filesystem::directory_iterator())),
                  expected.size());
    }
    EXPECT_EQ(kills, kKills);
    // Kills landed while the run was between entries (most do; a slow
    // start-up, as under a sanitizer, takes some of them).
    EXPECT_GT(amongEntries, 0);
}

}  // namespace
