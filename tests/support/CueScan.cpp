#include "CueScan.h"

#include "platform/TextFiles.h"
#include "platform/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <exception>

namespace cuescan {

namespace {

// The search runs at a quarter of the rate, then settles the place sample by sample.
constexpr int kStep = 4;

using Complex = std::complex<double>;

void fft(std::vector<Complex> &a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * M_PI / double(len) * (inverse ? 1 : -1);
        const Complex unit(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= unit;
            }
        }
    }
    if (inverse)
        for (Complex &x : a)
            x /= double(n);
}

std::vector<float> coarse(const std::vector<float> &s)
{
    std::vector<float> out(s.size() / kStep);
    for (size_t i = 0; i < out.size(); ++i) {
        float sum = 0;
        for (int k = 0; k < kStep; ++k)
            sum += s[i * kStep + size_t(k)];
        out[i] = sum / kStep;
    }
    return out;
}

double energy(const std::vector<float> &s)
{
    double e = 0;
    for (float x : s)
        e += double(x) * x;
    return e;
}

} // namespace

std::vector<float> loadCue(const QString &path, int rate)
{
    std::optional<WaveData> wave;
    try {
        wave = parseWave(readFileBytes(path));
    } catch (const std::exception &) {
        return {};
    }
    if (!wave || wave->frames() == 0) return {};
    std::vector<float> mono(size_t(wave->frames()));
    for (size_t f = 0; f < mono.size(); ++f) {
        float sum = 0;
        for (int c = 0; c < wave->channels; ++c)
            sum += wave->samples[f * size_t(wave->channels) + size_t(c)];
        mono[f] = sum / float(wave->channels) / 32768.0f;
    }
    const double ratio = double(wave->rate) / rate;
    std::vector<float> out(size_t(double(mono.size()) / ratio));
    for (size_t i = 0; i < out.size(); ++i) {
        const double at = double(i) * ratio;
        const size_t j = size_t(at);
        const double frac = at - double(j);
        const float next = j + 1 < mono.size() ? mono[j + 1] : 0.0f;
        out[i] = float(mono[j] * (1 - frac) + next * frac);
    }
    return out;
}

Scanner::Scanner(const std::vector<float> &recording)
    : m_recording(recording), m_coarse(coarse(recording))
{
    m_coarseEnergy.resize(m_coarse.size() + 1, 0.0);
    for (size_t i = 0; i < m_coarse.size(); ++i)
        m_coarseEnergy[i + 1] = m_coarseEnergy[i] + double(m_coarse[i]) * m_coarse[i];
    m_fftSize = 1;
    // Room for the longest cue after the recording, so the correlation never wraps onto it.
    while (m_fftSize < m_coarse.size() + 48000 / kStep * 2)
        m_fftSize <<= 1;
    std::vector<Complex> a(m_fftSize);
    for (size_t i = 0; i < m_coarse.size(); ++i)
        a[i] = m_coarse[i];
    fft(a, false);
    m_spectrum.resize(m_fftSize * 2);
    for (size_t i = 0; i < m_fftSize; ++i) {
        m_spectrum[2 * i] = a[i].real();
        m_spectrum[2 * i + 1] = a[i].imag();
    }
}

const Scanner::Correlation &Scanner::correlate(const std::vector<float> &cue) const
{
    const auto key = std::make_pair(cue.data(), cue.size());
    if (const auto known = m_correlations.find(key); known != m_correlations.end())
        return known->second;
    const std::vector<float> c = coarse(cue);
    std::vector<Complex> b(m_fftSize);
    for (size_t i = 0; i < c.size() && i < m_fftSize; ++i)
        b[i] = c[i];
    fft(b, false);
    for (size_t i = 0; i < m_fftSize; ++i)
        b[i] = Complex(m_spectrum[2 * i], m_spectrum[2 * i + 1]) * std::conj(b[i]);
    fft(b, true);
    const double cueEnergy = energy(c);
    Correlation out;
    out.dot.resize(m_coarse.size());
    out.score.resize(m_coarse.size(), 0.0);
    for (size_t lag = 0; lag < m_coarse.size(); ++lag) {
        const double dot = b[lag].real();
        out.dot[lag] = dot;
        const size_t end = std::min(m_coarse.size(), lag + c.size());
        const double here = m_coarseEnergy[end] - m_coarseEnergy[lag];
        if (here > 1e-12 && cueEnergy > 0) out.score[lag] = dot / std::sqrt(here * cueEnergy);
    }
    return m_correlations[key] = std::move(out);
}

Hit Scanner::refine(const std::vector<float> &cue, int64_t coarseAt) const
{
    Hit best;
    const double cueEnergy = energy(cue);
    double bestFit = -1e300;
    const int64_t n = int64_t(m_recording.size());
    // The coarse search may land some periods of a tone off: a bell of two tones matches
    // itself again after a common period, 7.6 ms for the think cue.
    const int64_t reach = 512;
    for (int64_t at = std::max<int64_t>(0, coarseAt * kStep - reach);
         at <= std::min<int64_t>(n - 1, coarseAt * kStep + reach); ++at) {
        double dot = 0, here = 0;
        for (int64_t k = 0; k < int64_t(cue.size()) && at + k < n; ++k) {
            const double r = m_recording[size_t(at + k)];
            dot += r * cue[size_t(k)];
            here += r * r;
        }
        // The place that leaves the least behind when the cue is taken away, not the largest
        // correlation: a bell rising through its attack correlates better a period late.
        if (2 * dot - here > bestFit) {
            bestFit = 2 * dot - here;
            best.at = at;
            best.gain = cueEnergy > 0 ? dot / cueEnergy : 0;
            best.score = here > 0 && cueEnergy > 0 ? dot / std::sqrt(here * cueEnergy) : 0;
        }
    }
    return best;
}

Hit Scanner::find(const std::vector<float> &cue, int64_t from, int64_t to) const
{
    const std::vector<double> &dot = correlate(cue).dot;
    const int64_t first = std::max<int64_t>(0, from / kStep);
    const int64_t last = std::min<int64_t>(int64_t(dot.size()) - 1, to / kStep);
    if (first > last) return Hit();
    int64_t best = first;
    for (int64_t i = first; i <= last; ++i)
        if (dot[size_t(i)] > dot[size_t(best)]) best = i;
    return refine(cue, best);
}

Hit Scanner::first(const std::vector<float> &cue, int64_t from, int64_t to) const
{
    const std::vector<double> &dot = correlate(cue).dot;
    const int64_t begin = std::max<int64_t>(0, from / kStep);
    const int64_t last = std::min<int64_t>(int64_t(dot.size()) - 1, to / kStep);
    if (begin > last) return Hit();
    const double best = *std::max_element(dot.begin() + begin, dot.begin() + last + 1);
    int64_t at = begin;
    while (at < last && dot[size_t(at)] < 0.8 * best)
        ++at;
    // A tone matches itself a few periods off nearly as well; take the top of that cluster.
    const int64_t cluster = std::min(last, at + 1024 / kStep);
    for (int64_t i = at; i <= cluster; ++i)
        if (dot[size_t(i)] > dot[size_t(at)]) at = i;
    return refine(cue, at);
}

std::vector<Hit> Scanner::findAll(const std::vector<float> &cue, double minScore) const
{
    const Correlation &c = correlate(cue);
    const std::vector<double> &dot = c.dot;
    const int64_t half = int64_t(cue.size() / kStep / 2);
    const int64_t n = int64_t(dot.size());
    std::vector<Hit> hits;
    for (int64_t i = 0; i < n; ++i) {
        if (c.score[size_t(i)] < minScore) continue;
        bool top = true;
        for (int64_t j = std::max<int64_t>(0, i - half); top && j <= std::min(n - 1, i + half); ++j)
            top = dot[size_t(j)] < dot[size_t(i)] || (dot[size_t(j)] == dot[size_t(i)] && j >= i);
        if (!top) continue;
        const Hit hit = refine(cue, i);
        if (hit.gain > 0.5 && hit.gain < 2.0) hits.push_back(hit);
    }
    return hits;
}

std::vector<float> model(size_t length, const std::vector<Placed> &plays)
{
    std::vector<float> out(length, 0.0f);
    for (const Placed &p : plays) {
        const int64_t n =
            p.length < 0 ? int64_t(p.cue->size()) : std::min<int64_t>(p.length, p.cue->size());
        for (int64_t k = 0; k < n; ++k)
            if (p.at + k >= 0 && p.at + k < int64_t(length))
                out[size_t(p.at + k)] += (*p.cue)[size_t(k)];
    }
    return out;
}

double rmsDb(const float *samples, size_t count)
{
    if (count == 0) return -200;
    double e = 0;
    for (size_t i = 0; i < count; ++i)
        e += double(samples[i]) * samples[i];
    const double rms = std::sqrt(e / double(count));
    return rms > 1e-10 ? 20 * std::log10(rms) : -200;
}

int64_t audibleEnd(const std::vector<float> &cue, float level)
{
    for (int64_t i = int64_t(cue.size()) - 1; i >= 0; --i)
        if (std::fabs(cue[size_t(i)]) >= level) return i + 1;
    return 0;
}

float sharpness(const float *s, size_t count)
{
    float top = 0;
    for (size_t i = 0; i + 4 < count; ++i)
        top =
            std::max(top, std::fabs(s[i] - 4 * s[i + 1] + 6 * s[i + 2] - 4 * s[i + 3] + s[i + 4]));
    return top;
}

float peak(const std::vector<float> &samples)
{
    float p = 0;
    for (float s : samples)
        p = std::max(p, std::fabs(s));
    return p;
}

} // namespace cuescan
