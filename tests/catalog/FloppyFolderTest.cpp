// Where the floppy folder is, whatever the process's current directory.
#include <gtest/gtest.h>

#include "catalog/FloppyFolder.h"
#include "support/EnvironmentGuard.h"

namespace {

TEST(FloppyFolder, UnsetOrEmptyIsTheUsualMountPoint) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_FLOPPY", nullptr);
    EXPECT_EQ(FloppyFolder("/home/me"), "/media/floppy0");
    env.Set("TAPEWREN_FLOPPY", "");
    EXPECT_EQ(FloppyFolder("/home/me"), "/media/floppy0");
}

TEST(FloppyFolder, AbsoluteFolderIsTakenAsItIs) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_FLOPPY", "/mnt/stick");
    EXPECT_EQ(FloppyFolder("/home/me"), "/mnt/stick");
}

TEST(FloppyFolder, RelativeFolderIsTakenFromTheStartDirectory) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_FLOPPY", "stick/catalogs");
    EXPECT_EQ(FloppyFolder("/home/me"), "/home/me/stick/catalogs");
    EXPECT_EQ(FloppyFolder("/"), "/stick/catalogs");
}

}  // namespace
