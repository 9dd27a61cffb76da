#pragma once
// A TonePlayer for tests: records the tones in order, plays nothing.

#include <vector>

#include "ui/MessageLook.h"
#include "ui/TonePlayer.h"

class RecordingTonePlayer : public TonePlayer {
public:
    void Play(int frequencyHz, int durationMs) override { played.push_back({frequencyHz, durationMs}); }
    std::vector<Tone> played;
};
