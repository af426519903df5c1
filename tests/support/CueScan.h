#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <vector>

// Finds the game's sound cues in a recording of the audio output, and tells how faithfully
// each play came out. Signals are mono with full scale 1.
namespace cuescan {

// A wave file's samples mixed to mono and brought to rate by linear interpolation; empty
// when the file is no 16-bit PCM wave.
std::vector<float> loadCue(const QString &path, int rate);

// One play of a cue: where it starts in the recording, at what level (1 is the file's own),
// and how alike the two are (normalised correlation, 1 when nothing else sounds).
struct Hit
{
    int64_t at = -1;
    double gain = 0;
    double score = 0;
};

// A cue placed in a model of the recording, cut off after length samples (a restarted play).
struct Placed
{
    const std::vector<float> *cue = nullptr;
    int64_t at = 0;
    int64_t length = -1; // the whole cue
};

class Scanner
{
public:
    explicit Scanner(const std::vector<float> &recording);

    // The best match of the cue starting between from and to.
    Hit find(const std::vector<float> &cue, int64_t from, int64_t to) const;
    // The earliest play of the cue starting between from and to: the first place that
    // matches nearly as well as the best one there.
    Hit first(const std::vector<float> &cue, int64_t from, int64_t to) const;
    // Every play of the cue: best matches at least half a cue apart, scoring minScore or more
    // at about its own level.
    std::vector<Hit> findAll(const std::vector<float> &cue, double minScore) const;

private:
    // The coarse search goes by the plain correlation, which another cue sounding at the
    // same time does not shift; refine() then settles the place sample by sample by what the
    // cue leaves behind when taken away.
    struct Correlation
    {
        std::vector<double> dot;   // the cue against the recording at each coarse lag
        std::vector<double> score; // the same, normalised
    };
    // Worked out once per cue (by its address and length), however often it is searched for.
    const Correlation &correlate(const std::vector<float> &cue) const;
    Hit refine(const std::vector<float> &cue, int64_t coarse) const;

    const std::vector<float> &m_recording;
    std::vector<float> m_coarse;
    std::vector<double> m_coarseEnergy; // running sums of squares
    size_t m_fftSize = 0;
    std::vector<double> m_spectrum; // interleaved re, im
    mutable std::map<std::pair<const float *, size_t>, Correlation> m_correlations;
};

// The recording as the plays alone would make it.
std::vector<float> model(size_t length, const std::vector<Placed> &plays);

// Root mean square in dB of full scale (-200 for silence).
double rmsDb(const float *samples, size_t count);
// The sample after the cue's last one at or above the level.
int64_t audibleEnd(const std::vector<float> &cue, float level);
// The largest fourth difference: small for a tone or a fade, large where the signal snaps.
float sharpness(const float *samples, size_t count);
// The largest magnitude.
float peak(const std::vector<float> &samples);

} // namespace cuescan
