#pragma once
// Synthesises a sine tone as signed 16-bit mono samples, chunk by chunk into
// a caller's buffer, so a player needs one fixed buffer whatever the length.
// The first and last few milliseconds are faded to avoid clicks.

#include <cstddef>
#include <cstdint>

class ToneSynth {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kFadeMs = 4;
    static constexpr double kAmplitude = 0.5 * 32767.0;

    // Number of samples a tone of durationMs lasts (0 for durations <= 0).
    static std::size_t SampleCount(int durationMs);

    // Starts a new tone; frequencies <= 0 or above Nyquist give silence.
    void Begin(int frequencyHz, int durationMs);
    // Writes up to capacity samples of the tone; returns how many were
    // written, 0 once the tone is complete.
    std::size_t Next(std::int16_t* out, std::size_t capacity);
    bool Done() const { return position_ >= total_; }

private:
    double step_ = 0.0;  // phase advance per sample, in radians
    std::size_t total_ = 0;
    std::size_t fade_ = 0;
    std::size_t position_ = 0;
};
