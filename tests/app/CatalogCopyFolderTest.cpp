// Catalog copies go to the first medium mounted for the user, under the
// first media folder that has one, else to the floppy folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CatalogCopyFolder.h"
#include "support/EnvironmentGuard.h"

namespace {

struct Case {
    const char* name;
    std::vector<const char*> folders;  // made under the temporary media root
    const char* expected;              // under the root; null: the floppy folder
};

class CatalogCopyFolderTest : public testing::TestWithParam<Case> {};

TEST_P(CatalogCopyFolderTest, PrefersTheUsersMountedMedium) {
    char pattern[] = "/tmp/tw-media-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    for (const char* folder : GetParam().folders) std::filesystem::create_directories(root + "/" + folder);
    // A file is no medium.
    std::filesystem::create_directories(root + "/media/me");
    { std::FILE* f = std::fopen((root + "/media/me/0-notes").c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    EnvironmentGuard env;
    env.Set("TAPEWREN_FLOPPY", "/mnt/floppy");
    const std::string expected = GetParam().expected ? root + "/" + GetParam().expected : "/mnt/floppy";
    EXPECT_EQ(CatalogCopyFolder("/home/me", {root + "/media/me", root + "/run/media/me"}), expected);
    std::filesystem::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(
    Media, CatalogCopyFolderTest,
    testing::Values(Case{"NoneMountedFallsBackToTheFloppyFolder", {}, nullptr},
                    Case{"FirstByNameUnderMedia", {"media/me/STICK", "media/me/BACKUP"}, "media/me/BACKUP"},
                    Case{"RunMediaWhenMediaHasNone", {"run/media/me/USB"}, "run/media/me/USB"},
                    Case{"MediaBeforeRunMedia", {"run/media/me/A", "media/me/Z"}, "media/me/Z"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
