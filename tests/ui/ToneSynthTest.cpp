#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/ToneSynth.h"

namespace {
std::vector<std::int16_t> Render(int frequency, int durationMs, std::size_t chunk) {
    ToneSynth synth;
    synth.Begin(frequency, durationMs);
    std::vector<std::int16_t> samples;
    std::vector<std::int16_t> buffer(chunk);
    for (;;) {
        const std::size_t count = synth.Next(buffer.data(), buffer.size());
        if (count == 0) break;
        samples.insert(samples.end(), buffer.begin(), buffer.begin() + static_cast<long>(count));
    }
    EXPECT_TRUE(synth.Done());
    return samples;
}

// Sign changes from negative to non-negative: one per period.
int RisingCrossings(const std::vector<std::int16_t>& samples) {
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
    }
    return crossings;
}
}  // namespace

class ToneSynthTones : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ToneSynthTones, CrossingsGiveFrequencyAndSampleCountGivesDuration) {
    const auto [frequency, durationMs] = GetParam();
    const std::vector<std::int16_t> samples = Render(frequency, durationMs, 1000);
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(ToneSynth::kSampleRate) * durationMs / 1000);
    const double seconds = static_cast<double>(samples.size()) / ToneSynth::kSampleRate;
    const double measured = RisingCrossings(samples) / seconds;
    EXPECT_NEAR(measured, frequency, frequency * 0.02 + 1000.0 / durationMs);
}

// Every tone the message dialog plays.
INSTANTIATE_TEST_SUITE_P(DialogTones, ToneSynthTones,
                         testing::Values(std::pair{400, 200}, std::pair{800, 50}, std::pair{1000, 50},
                                         std::pair{1200, 100}, std::pair{1600, 50}, std::pair{2000, 50}));

TEST(ToneSynth, ChunkSizeDoesNotChangeTheSamples) {
    const std::vector<std::int16_t> whole = Render(1200, 100, 1 << 20);
    EXPECT_EQ(Render(1200, 100, 7), whole);
    EXPECT_EQ(Render(1200, 100, 2205), whole);
}

TEST(ToneSynth, FadesInAndOutWithoutClicks) {
    const std::vector<std::int16_t> samples = Render(1000, 50, 512);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front(), 0);
    EXPECT_EQ(samples.back(), 0);
    // At 1 kHz a full-level sine moves up to about 2*pi*1000/44100 of the
    // amplitude per sample; a start or stop at full level would jump further.
    const double maxStep = 2 * 3.1416 * 1000 / ToneSynth::kSampleRate * ToneSynth::kAmplitude + 2;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        ASSERT_LE(std::abs(samples[i] - samples[i - 1]), maxStep) << i;
    }
}

TEST(ToneSynth, ReachesFullLevelButNeverClips) {
    const std::vector<std::int16_t> samples = Render(400, 200, 4096);
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GE(peak, static_cast<int>(ToneSynth::kAmplitude) - 2);
    EXPECT_LE(peak, static_cast<int>(ToneSynth::kAmplitude) + 1);
}

TEST(ToneSynth, ZeroOrNegativeDurationGivesNoSamples) {
    EXPECT_TRUE(Render(400, 0, 64).empty());
    EXPECT_TRUE(Render(400, -5, 64).empty());
    EXPECT_EQ(ToneSynth::SampleCount(-1), 0u);
}

TEST(ToneSynth, UnplayableFrequencyIsSilenceOfTheRightLength) {
    for (int frequency : {0, -400, 30000}) {
        const std::vector<std::int16_t> samples = Render(frequency, 20, 100);
        EXPECT_EQ(samples.size(), ToneSynth::SampleCount(20));
        for (std::int16_t s : samples) ASSERT_EQ(s, 0) << frequency;
    }
}

TEST(ToneSynth, BeginRestartsAToneCutShort) {
    ToneSynth synth;
    std::int16_t buffer[100];
    synth.Begin(800, 50);
    ASSERT_EQ(synth.Next(buffer, 100), 100u);
    synth.Begin(800, 50);
    std::size_t total = 0;
    while (std::size_t n = synth.Next(buffer, 100)) total += n;
    EXPECT_EQ(total, ToneSynth::SampleCount(50));
}
