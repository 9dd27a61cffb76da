#include "ui/ToneSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::size_t ToneSynth::SampleCount(int durationMs) {
    if (durationMs <= 0) return 0;
    return static_cast<std::size_t>(durationMs) * kSampleRate / 1000;
}

void ToneSynth::Begin(int frequencyHz, int durationMs) {
    total_ = SampleCount(durationMs);
    position_ = 0;
    const bool audible = frequencyHz > 0 && frequencyHz < kSampleRate / 2;
    step_ = audible ? 2.0 * std::numbers::pi * frequencyHz / kSampleRate : 0.0;
    // Short tones fade over at most a quarter of their length each side.
    fade_ = std::min(SampleCount(kFadeMs), total_ / 4);
}

std::size_t ToneSynth::Next(std::int16_t* out, std::size_t capacity) {
    const std::size_t count = std::min(capacity, total_ - position_);
    for (std::size_t k = 0; k < count; ++k, ++position_) {
        double gain = 1.0;
        if (position_ < fade_) {
            gain = static_cast<double>(position_) / fade_;
        } else if (total_ - position_ <= fade_) {
            gain = static_cast<double>(total_ - position_ - 1) / fade_;
        }
        // The phase is computed from the sample index, not accumulated, so
        // long tones keep their pitch exactly.
        const double value = kAmplitude * gain * std::sin(step_ * static_cast<double>(position_));
        out[k] = static_cast<std::int16_t>(std::lround(value));
    }
    return count;
}
