#pragma once

#include <cstdint>
#include <vector>

// Mixes cues into interleaved 16-bit stereo at one output rate. A cue of another rate is
// resampled linearly; a mono cue sounds unpanned at its own level in both channels. A stopped
// cue fades out over kFadeFrames instead of snapping off, and a limiter holds the sum of many
// loud cues under full scale, leaving a sum that fits untouched. Not thread-safe: the owner
// locks around every call.
class CueMixer
{
public:
    static constexpr int kFadeFrames = 512;

    // One cue as the mixer plays it: its samples belong to the caller and stay put while it
    // is added.
    struct Track
    {
        const int16_t *samples = nullptr;
        int channels = 1;
        int rate = 0;
        int64_t frames = 0;

        // Where the playing voice and the fading one are, in source frames, 32.32 fixed point.
        bool playing = false;
        uint64_t at = 0;
        int fadeLeft = 0;
        uint64_t fadeAt = 0;
    };

    explicit CueMixer(int rate) : m_rate(rate) {}

    void add(Track *track) { m_tracks.push_back(track); }
    void remove(Track *track);

    // Plays the track from frame `from`; a voice still playing fades as the new one begins.
    void start(Track *track, int64_t from);
    void stop(Track *track);
    // The frame the track has been mixed up to; its length once played out or stopped.
    static int64_t frameOf(const Track &track);
    // Every voice ends at once: the output has gone.
    void silence();
    // Whether anything is still being mixed.
    bool sounding() const;

    // Fills out with frames of stereo.
    void mix(int16_t *out, int frames);

private:
    int m_rate;
    std::vector<Track *> m_tracks;
    std::vector<float> m_sum;
    float m_gain = 1.0f;
};
