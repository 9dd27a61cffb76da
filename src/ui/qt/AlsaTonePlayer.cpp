#include "ui/qt/AlsaTonePlayer.h"

#include <alsa/asoundlib.h>

namespace {
// A failed open would otherwise print a page of lines to stderr.
void SilentErrors(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

AlsaTonePlayer& AlsaTonePlayer::Shared() {
    static AlsaTonePlayer player;
    return player;
}

AlsaTonePlayer::~AlsaTonePlayer() {
    if (pcm_ != nullptr) snd_pcm_close(pcm_);
}

bool AlsaTonePlayer::Open() {
    if (pcm_ != nullptr) return true;
    if (failed_) return false;
    snd_lib_error_set_handler(SilentErrors);
    if (snd_pcm_open(&pcm_, device_, SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        pcm_ = nullptr;
        failed_ = true;
        return false;
    }
    // 50 ms of latency: short enough that tones follow each other closely.
    if (snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           ToneSynth::kSampleRate, 1, 50000) < 0) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
        failed_ = true;
        return false;
    }
    return true;
}

bool AlsaTonePlayer::Write(const std::int16_t* samples, long count) {
    int recoveries = 0;
    while (count > 0) {
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm_, samples, static_cast<snd_pcm_uframes_t>(count));
        if (written < 0) {
            // An underrun or a suspend is recovered from; a device that keeps
            // failing ends the tone rather than looping for ever.
            if (++recoveries > 3 || snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) return false;
            continue;
        }
        samples += written;
        count -= written;
        samplesWritten_ += written;
    }
    return true;
}

void AlsaTonePlayer::Play(int frequencyHz, int durationMs) {
    if (!Open()) return;
    // The previous drain left the device stopped.
    if (snd_pcm_prepare(pcm_) < 0) return;
    synth_.Begin(frequencyHz, durationMs);
    while (!synth_.Done()) {
        const std::size_t count = synth_.Next(buffer_, kChunk);
        if (!Write(buffer_, static_cast<long>(count))) {
            snd_pcm_drop(pcm_);
            return;
        }
    }
    snd_pcm_drain(pcm_);
}
