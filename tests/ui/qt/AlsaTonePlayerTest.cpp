#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "ui/qt/AlsaTonePlayer.h"

// A machine without sound must stay quiet in every sense: no error, and
// nothing on stderr.
TEST(AlsaTonePlayer, MissingDevicePlaysSilentlyAndPrintsNothing) {
    std::FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    ASSERT_GE(dup2(fileno(capture), STDERR_FILENO), 0);
    AlsaTonePlayer player("tapewren-no-such-device");
    player.Play(400, 20);
    player.Play(800, 20);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    const long printed = std::ftell(capture);
    std::fclose(capture);
    EXPECT_FALSE(player.Available());
    EXPECT_EQ(player.SamplesWritten(), 0);
    EXPECT_EQ(printed, 0);
}

// ALSA's "null" device takes samples like a real one and drops them: the
// whole open, write and drain path runs, one tone after another.
TEST(AlsaTonePlayer, PlaysToneAfterToneOnADevice) {
    AlsaTonePlayer player("null");
    player.Play(1000, 50);
    ASSERT_TRUE(player.Available()) << "ALSA's null device did not open";
    player.Play(2000, 50);
    player.Play(1200, 100);
    EXPECT_TRUE(player.Available());
    EXPECT_EQ(player.SamplesWritten(),
              static_cast<long>(2 * ToneSynth::SampleCount(50) + ToneSynth::SampleCount(100)));
}
