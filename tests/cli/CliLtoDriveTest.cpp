// The built tapewren-cli on the virtual drive in its LTO-like personality:
// a backup that meets the early warning half-way, and streaming, which
// writes the same tape with one flush instead of one per file.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "CliFixture.h"

namespace {

class CliLtoDriveTest : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        cli->SetEnvironment("TAPEWREN_VTAPE_DRIVE", "lto");
        cli->SetEnvironment("TAPEWREN_VTAPE_READY_SECONDS", "0");
    }

    // Writes src/<name> for each name, the k-th of sizes[k] bytes.
    std::vector<std::string> MakeFiles(const std::vector<std::size_t>& sizes) {
        std::vector<std::string> paths;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const std::string name = std::string(1, static_cast<char>('a' + k)) + ".bin";
            Write("src/" + name, Pattern(sizes[k], static_cast<std::uint32_t>(k + 1)));
            paths.push_back("../src/" + name);
        }
        return paths;
    }

    // A value of the last statistics line the drive appended to path.
    static long long Statistic(const std::string& path, const std::string& name) {
        std::istringstream lines(CliRunner::Slurp(path));
        std::string line, last;
        while (std::getline(lines, line))
            if (!line.empty()) last = line;
        const std::size_t at = last.find(name + "=");
        return at == std::string::npos ? -1 : std::stoll(last.substr(at + name.size() + 1));
    }
};

// The drive's own report of its room (to the MiB): 2 MiB, of which the
// formatted tape's ident block takes part of the first.
TEST_F(CliLtoDriveTest, StatusShowsTheRoomTheDriveReports) {
    cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "2");
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    const CliRun status = cli->Run({"status"});
    EXPECT_EQ(status.status, 0) << status.err;
    EXPECT_NE(status.out.find("Space left: 1048576 of 2097152 bytes\n"), std::string::npos) << status.out;
}

// 1 MiB with an early-warning zone of 400 KiB: d.bin's first transfer
// reaches it. d.bin is finished and listed; e.bin and f.bin are named for
// the next tape, and the run fails.
TEST_F(CliLtoDriveTest, BackupThatMeetsTheEarlyWarningFinishesItsRecordAndNamesTheRest) {
    cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
    cli->SetEnvironment("TAPEWREN_VTAPE_EARLY_WARNING_KB", "400");
    std::vector<std::string> args = MakeFiles({200000, 200000, 200000, 200000, 200000, 200000});
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    args.insert(args.begin(), "backup");
    const CliRun backup = cli->Run(args);
    EXPECT_EQ(backup.status, 1);
    EXPECT_NE(backup.err.find("The tape is nearly full: the backup stopped after 'd.bin', which is safe on tape and "
                              "in the DirFile.\nNot backed up: e.bin, f.bin. The next tape can take them."),
              std::string::npos)
        << backup.err;

    const CliRun restore = cli->Run({"restore", "--to", "../dst", "a.bin", "b.bin", "c.bin", "d.bin"});
    EXPECT_EQ(restore.status, 0) << restore.err;
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"})
        EXPECT_EQ(Read(std::string("dst/") + name), Read(std::string("src/") + name)) << name;
    const CliRun notThere = cli->Run({"restore", "--to", "../dst", "e.bin"});
    EXPECT_NE(notThere.err.find("'e.bin' is not in the directory file"), std::string::npos) << notThere.err;
}

int Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_yday;
}

// The same files backed up with and without --stream give the same image,
// byte for byte; streaming flushes once, at the end, instead of once per
// file. Both restore and verify the same way.
TEST_F(CliLtoDriveTest, StreamingWritesTheSameTapeWithOneFlush) {
    const int day = Today();
    std::vector<std::string> files = MakeFiles({0, 1, 1023, 1024, 1025, 65536, 70000, 400000, 1 << 20, 3000});
    std::filesystem::create_directories(Path("tapes2"));
    std::filesystem::create_directories(Path("catalogs2"));
    for (const bool streaming : {false, true}) {
        if (streaming) cli->SetEnvironment("TAPEWREN_VTAPE", Path("tapes2"));
        const std::string catalogs = streaming ? Path("catalogs2") : Path("start");
        const std::string stats = Path(streaming ? "scratch/stream.stats" : "scratch/plain.stats");
        ASSERT_EQ(cli->Run({"format", "Daily", "--yes", "--catalogs", catalogs}).status, 0);
        cli->SetEnvironment("TAPEWREN_VTAPE_STATS", stats);
        std::vector<std::string> args = {"backup", "--catalogs", catalogs};
        if (streaming) args.push_back("--stream");
        args.insert(args.end(), files.begin(), files.end());
        const CliRun backup = cli->Run(args);
        cli->SetEnvironment("TAPEWREN_VTAPE_STATS", "");
        ASSERT_EQ(backup.status, 0) << backup.err;
        EXPECT_EQ(Statistic(stats, "flushes"), streaming ? 1 : static_cast<long long>(files.size()));

        const std::string into = streaming ? "dst/stream" : "dst/plain";
        std::filesystem::create_directories(Path(into));
        std::vector<std::string> restore = {"restore", "--all", "--yes", "--to", "../" + into};
        std::vector<std::string> verify = {"verify", "--in", "../src", "--catalogs", catalogs};
        if (streaming) restore.push_back("--stream"), verify.push_back("--stream");
        EXPECT_EQ(cli->Run(restore).status, 0);
        for (const std::string& file : files) {
            const std::string name = file.substr(file.rfind('/') + 1);
            EXPECT_EQ(Read(into + "/" + name), Read("src/" + name)) << name;
        }
        const CliRun verified = cli->Run(verify);
        EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
    }
    if (Today() != day) GTEST_SKIP() << "the date changed during the runs";
    EXPECT_TRUE(Bytes(Path("tapes/tape01.tap")) == Bytes(Path("tapes2/tape01.tap"))) << "the images differ";
}

}  // namespace
