#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "ui/qt/AlsaTonePlayer.h"

// On a machine without sound the player must stay quiet in every sense:
// no error, and nothing on stderr. With a device it just plays a short tone.
TEST(AlsaTonePlayer, WithoutADevicePlaysSilentlyAndPrintsNothing) {
    std::FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    ASSERT_GE(dup2(fileno(capture), STDERR_FILENO), 0);
    AlsaTonePlayer player;
    player.Play(400, 20);
    player.Play(800, 20);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    const long printed = std::ftell(capture);
    std::fclose(capture);
    if (player.Available()) GTEST_SKIP() << "a sound device is present; the tones were played";
    EXPECT_EQ(printed, 0);
}
