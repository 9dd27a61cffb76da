#pragma once
// Plays one tone and returns when it has been heard: the message dialog's
// sounds go through this so that tests can record them instead of playing.

class TonePlayer {
public:
    virtual ~TonePlayer() = default;
    // Blocks for about durationMs. A player without a sound device stays
    // silent; a tone is never an error the user has to see.
    virtual void Play(int frequencyHz, int durationMs) = 0;
};
