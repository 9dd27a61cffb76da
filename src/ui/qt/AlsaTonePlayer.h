#pragma once
// Plays tones on an ALSA device ("default" for the program), blocking until each has been
// heard. The device is opened on first use; when that fails (no sound
// hardware, no sound server) the player stays silent for the rest of the
// run and prints nothing.

#include <cstdint>

#include "ui/TonePlayer.h"
#include "ui/ToneSynth.h"

struct _snd_pcm;

class AlsaTonePlayer : public TonePlayer {
public:
    // The instance every message dialog shares, so the device is opened once.
    static AlsaTonePlayer& Shared();

    // `device` is an ALSA PCM name; the program uses "default".
    explicit AlsaTonePlayer(const char* device = "default") : device_(device) {}
    ~AlsaTonePlayer() override;
    AlsaTonePlayer(const AlsaTonePlayer&) = delete;
    AlsaTonePlayer& operator=(const AlsaTonePlayer&) = delete;

    void Play(int frequencyHz, int durationMs) override;
    // False once opening the device has failed.
    bool Available() const { return !failed_; }
    // Samples the device has taken since construction.
    long SamplesWritten() const { return samplesWritten_; }

private:
    bool Open();
    bool Write(const std::int16_t* samples, long count);

    static constexpr int kChunk = 2205;  // 50 ms
    const char* device_;
    _snd_pcm* pcm_ = nullptr;
    bool failed_ = false;
    long samplesWritten_ = 0;
    ToneSynth synth_;
    std::int16_t buffer_[kChunk];
};
