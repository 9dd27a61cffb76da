// What a restore leaves in its folder: a replaced file's permissions, the
// temporary files of a restore that was killed, and records whose names
// look like temporary files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TapeFixture.h"
#include "tape/RestoreTemporaries.h"
#include "tape/TapeFormat.h"

namespace {

class RestoreTargetTest : public TapeFixture {
protected:
    void SetUp() override {
        TapeFixture::SetUp();
        savedMask = ::umask(022);
    }
    void TearDown() override {
        ::umask(savedMask);
        TapeFixture::TearDown();
    }
    // Backs up the files in order and puts the tape on the first record.
    std::vector<Bytes> BackUp(const std::vector<std::string>& names) {
        EXPECT_EQ(volume->WriteIdentBlock("T"), 0);
        std::vector<Bytes> contents;
        for (std::size_t i = 0; i < names.size(); ++i) {
            contents.push_back(Pattern(3000 + i, static_cast<std::uint32_t>(i + 1)));
            WriteFile(Src() + names[i], contents.back());
            EXPECT_EQ(volume->BackupFile(names[i], Src(), blockLength), 0) << names[i];
        }
        Rewind();
        EXPECT_EQ(Space(1), 0);
        return contents;
    }
    static unsigned ModeOf(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    // A process id that no process has any more.
    static long DeadPid() {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return child;
    }

    mode_t savedMask = 0;
};

TEST_F(RestoreTargetTest, ReplacedFileKeepsItsPermissionBits) {
    BackUp({"secret.txt"});
    WriteFile(Dst() + "secret.txt", Bytes{1});
    ASSERT_EQ(::chmod((Dst() + "secret.txt").c_str(), 0600), 0);
    volume->Files().SetPolicy({RestorePolicy::Existing::Overwrite, false});
    ASSERT_EQ(volume->RestoreNextFile(blockLength, Dst()), 0);
    EXPECT_EQ(ModeOf(Dst() + "secret.txt"), 0600u);
}

// Restored in one group, a record named like a temporary file of earlier
// versions and the record after it each keep their own content.
TEST_F(RestoreTargetTest, RecordNamedLikeATemporaryFileKeepsItsContent) {
    const std::string lookalike = ".tapewren-" + std::to_string(::getpid()) + "-2.part";
    const auto contents = BackUp({lookalike, "b.bin", "c.bin"});
    volume->Files().BeginGroup();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(volume->RestoreNextFile(blockLength, Dst()), 0) << i;
    ASSERT_EQ(volume->Files().EndGroup(), 0);
    EXPECT_EQ(ReadFile(Dst() + lookalike), contents[0]);
    EXPECT_EQ(ReadFile(Dst() + "b.bin"), contents[1]);
    EXPECT_EQ(ReadFile(Dst() + "c.bin"), contents[2]);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 3);
}

// A temporary name is longer than any record's name can be.
TEST_F(RestoreTargetTest, TemporaryNamesCannotBeRecordNames) {
    std::string name;
    RestoreTemporaries::Name(::getpid(), 7, name);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_GT(name.size(), TapeFormat::kMaxFileNameLength);
    long pid = 0;
    EXPECT_TRUE(RestoreTemporaries::Parse(name, pid));
    EXPECT_EQ(pid, ::getpid());
}

// What killed restores left is removed; a running restore's file is not,
// nor anything that only looks similar.
TEST_F(RestoreTargetTest, StaleTemporaryFilesOfEndedProcessesAreRemoved) {
    const long dead = DeadPid();
    std::string stale, running;
    RestoreTemporaries::Name(dead, 1, stale);
    RestoreTemporaries::Name(::getpid(), 1, running);
    const std::string older = ".tapewren-" + std::to_string(dead) + "-3.part";
    const std::vector<std::string> kept = {running, ".tapewren-notes.part", ".tapewren-" + std::to_string(dead) + ".part",
                                           "report.part"};
    for (const auto& name : kept) WriteFile(Dst() + name, Bytes{1});
    WriteFile(Dst() + stale, Bytes{2});
    WriteFile(Dst() + older, Bytes{3});
    EXPECT_EQ(volume->Files().RemoveStale(Dst()), 2);
    EXPECT_FALSE(std::filesystem::exists(Dst() + stale));
    EXPECT_FALSE(std::filesystem::exists(Dst() + older));
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(Dst() + name)) << name;
}

}  // namespace
