// Files the program writes in the catalog folder (and the floppy folder)
// replace what stands under their name; a symbolic link there is replaced,
// never followed, and a catalog behind a link is not appended to.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"

namespace {

struct LinkCase {
    const char* name;
    const char* link;     // relative to the scratch tree
    bool dangling;        // the link's target does not exist
    std::vector<std::string> args;
    int status;
};

class CliLinkTest : public CliFixture, public testing::WithParamInterface<LinkCase> {};

TEST_P(CliLinkTest, ALinkUnderAWrittenNameIsNeverFollowed) {
    const LinkCase& c = GetParam();
    FormatAndBackUp();
    std::filesystem::create_directories(Path("elsewhere"));
    const std::string target = Path("elsewhere/target");
    if (!c.dangling) std::filesystem::copy_file(Catalog(), target);
    const std::string kept = c.dangling ? std::string() : Bytes(target);
    std::filesystem::remove(Path(c.link));
    std::filesystem::create_symlink(target, Path(c.link));

    const CliRun run = cli->Run(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    // A dangling link's target is not made; another stays as it was.
    EXPECT_TRUE(c.dangling ? !std::filesystem::exists(target) : Bytes(target) == kept) << "the link was followed";
    if (c.status == 0) {
        EXPECT_FALSE(std::filesystem::is_symlink(Path(c.link)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLinkTest,
    testing::Values(LinkCase{"FormatCreatesNoLinkTarget", "start/New.twd", true,
                             {"format", "New", "--yes", "--force"}, 0},
                    LinkCase{"RebuildReplacesTheLink", "start/Daily.twd", false, {"rebuild", "--yes", "--force"}, 0},
                    LinkCase{"VerifyReportReplacesTheLink", "start/VerifyResults.txt", false,
                             {"verify", "--in", "../src", "--report"}, 0},
                    LinkCase{"BackupAppendsToNoLinkedCatalog", "start/Daily.twd", false, {"backup", "../src/a.txt"}, 1},
                    LinkCase{"ExportCreatesNoLinkTarget", "floppy/Daily.twd", true, {"export", "Daily"}, 0}),
    [](const testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

}  // namespace
