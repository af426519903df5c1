#include "platform/CueMixer.h"

#include <algorithm>
#include <cmath>

namespace {

// The limiter's ceiling, and how fast it lets go again (per frame, about 50 ms to full).
constexpr float kCeiling = 0.95f * 32767.0f;

// Adds the voice at *at, scaled from gain by step each frame, into sum; false once it has
// run out of samples.
bool addVoice(const CueMixer::Track &t, uint64_t *at, uint64_t step, float *sum, int frames,
              float gain, float gainStep)
{
    const int second = t.channels > 1 ? 1 : 0;
    for (int f = 0; f < frames; ++f) {
        const int64_t i = int64_t(*at >> 32);
        if (i >= t.frames) return false;
        const float frac = float(*at & 0xffffffffu) * (1.0f / 4294967296.0f);
        const int16_t *a = t.samples + i * t.channels;
        const bool last = i + 1 >= t.frames;
        const float l1 = last ? 0.0f : a[t.channels], r1 = last ? 0.0f : a[t.channels + second];
        sum[2 * f] += gain * (a[0] + (l1 - a[0]) * frac);
        sum[2 * f + 1] += gain * (a[second] + (r1 - a[second]) * frac);
        gain += gainStep;
        *at += step;
    }
    return true;
}

} // namespace

void CueMixer::remove(Track *track)
{
    std::erase(m_tracks, track);
}

void CueMixer::start(Track *track, int64_t from)
{
    stop(track);
    track->at = uint64_t(std::clamp<int64_t>(from, 0, track->frames)) << 32;
    track->playing = track->at >> 32 < uint64_t(track->frames);
}

void CueMixer::stop(Track *track)
{
    if (!track->playing) return;
    track->playing = false;
    track->fadeAt = track->at;
    track->fadeLeft = kFadeFrames;
}

int64_t CueMixer::frameOf(const Track &track)
{
    return track.playing ? std::min<int64_t>(track.frames, int64_t(track.at >> 32)) : track.frames;
}

void CueMixer::silence()
{
    for (Track *t : m_tracks) {
        t->playing = false;
        t->fadeLeft = 0;
    }
}

bool CueMixer::sounding() const
{
    return std::any_of(m_tracks.begin(), m_tracks.end(),
                       [](const Track *t) { return t->playing || t->fadeLeft > 0; });
}

void CueMixer::mix(int16_t *out, int frames)
{
    m_sum.assign(size_t(frames) * 2, 0.0f);
    for (Track *t : m_tracks) {
        const uint64_t step = (uint64_t(t->rate) << 32) / uint64_t(m_rate);
        if (t->fadeLeft > 0) {
            const int n = std::min(frames, t->fadeLeft);
            const float from = float(t->fadeLeft) / kFadeFrames;
            if (!addVoice(*t, &t->fadeAt, step, m_sum.data(), n, from, -1.0f / kFadeFrames))
                t->fadeLeft = 0;
            else
                t->fadeLeft -= n;
        }
        if (t->playing && !addVoice(*t, &t->at, step, m_sum.data(), frames, 1.0f, 0.0f))
            t->playing = false;
    }
    // Instant to hold the peak under the ceiling, slow to let go: a sum that never reaches
    // it passes at its own level.
    const float release = 1.0f / (0.05f * float(m_rate));
    for (int f = 0; f < frames; ++f) {
        const float peak = std::max(std::fabs(m_sum[2 * f]), std::fabs(m_sum[2 * f + 1]));
        m_gain = std::min(1.0f, m_gain + release);
        if (peak * m_gain > kCeiling) m_gain = kCeiling / peak;
        for (int c = 0; c < 2; ++c)
            out[2 * f + c] = int16_t(std::lrint(m_sum[2 * f + c] * m_gain));
    }
}
