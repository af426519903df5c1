// Synthesises the characters' sound cues as 16-bit PCM mono wave files in data/Sound.
// Usage: soundgen REPO_ROOT
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

// Peak levels. A reaction's cues overlap (each starts half a second after the one before),
// so any two of them together must stay under full scale; the think cue is gentler but
// loud enough to be heard beside them.
constexpr double kCheer = 0.45;
constexpr double kComfort = 0.40;
constexpr double kThink = 0.42;

struct Voice
{
    std::vector<double> harmonics; // amplitude of harmonic 1, 2, ...
    double vibratoHz = 0;
    double vibratoDepth = 0; // fraction of the frequency
    double attack = 0.02;
    double release = 0.08;
};

// A note gliding from f0 to f1; the envelope rises over attack and fades over release.
void note(std::vector<double> &out, double start, double length, double f0, double f1,
          const Voice &v, double gain)
{
    const int first = int(start * kRate);
    const int count = int(length * kRate);
    if (out.size() < size_t(first + count)) out.resize(size_t(first + count), 0.0);
    double phase = 0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / kRate;
        const double glide = f0 + (f1 - f0) * (t / length);
        const double f = glide * (1 + v.vibratoDepth * std::sin(2 * M_PI * v.vibratoHz * t));
        phase += 2 * M_PI * f / kRate;
        double s = 0;
        for (size_t h = 0; h < v.harmonics.size(); ++h)
            s += v.harmonics[h] * std::sin(phase * double(h + 1));
        double env = 1;
        if (t < v.attack) env = t / v.attack;
        const double left = length - t;
        if (left < v.release) env = std::min(env, left / v.release);
        out[size_t(first + i)] += s * env * gain;
    }
}

// A struck bar: the sound dies away on its own, kind to the ear when repeated, and fades to
// nothing before it ends so the cut is never heard.
void chime(std::vector<double> &out, double start, double length, double f, double gain)
{
    const int first = int(start * kRate);
    const int count = int(length * kRate);
    if (out.size() < size_t(first + count)) out.resize(size_t(first + count), 0.0);
    const double release = 0.08;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.004) * std::exp(-t * 3.0);
        env *= std::min(1.0, (length - t) / release);
        const double s = std::sin(2 * M_PI * f * t) +
                         0.25 * std::sin(2 * M_PI * f * 4 * t) * std::exp(-t * 20.0);
        out[size_t(first + i)] += s * env * gain;
    }
}

bool writeWave(const std::string &path, std::vector<double> samples, double peak)
{
    double top = 1e-9;
    for (double s : samples)
        top = std::max(top, std::fabs(s));
    // A short silent tail so the cue never ends on a click.
    samples.resize(samples.size() + kRate / 50, 0.0);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [f](uint32_t v) {
        const unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                    uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [f](uint16_t v) {
        const unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    const uint32_t data = uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    for (double s : samples) {
        const double v = std::clamp(s / top * peak, -1.0, 1.0);
        u16(uint16_t(int16_t(std::lround(v * 32767))));
    }
    return std::fclose(f) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: soundgen REPO_ROOT\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/data/Sound/";
    // The sheep bleat (a reedy voice with a wobble), the wolf croons, the lamb is small
    // and high.
    const Voice bleat{{1, 0.7, 0.5, 0.35, 0.2, 0.1}, 7, 0.025, 0.03, 0.12};
    const Voice lamb{{1, 0.5, 0.3, 0.15}, 9, 0.03, 0.02, 0.08};
    const Voice croon{{1, 0.45, 0.2, 0.08}, 5, 0.015, 0.05, 0.15};
    const Voice soft{{1, 0.2, 0.05}, 4, 0.01, 0.04, 0.2};
    bool ok = true;
    auto save = [&](const char *name, const std::vector<double> &s, double peak) {
        if (!writeWave(dir + name, s, peak)) {
            std::fprintf(stderr, "soundgen: cannot write %s%s\n", dir.c_str(), name);
            ok = false;
        }
    };
    {
        std::vector<double> s; // a happy old "baa" rising through a major chord
        note(s, 0.00, 0.22, 196, 200, bleat, 0.8);
        note(s, 0.20, 0.22, 247, 250, bleat, 0.8);
        note(s, 0.40, 0.45, 294, 300, bleat, 0.9);
        save("OldSheepYes.wav", s, kCheer);
    }
    {
        std::vector<double> s; // a kind "baa-aa" sinking, slow and soft
        note(s, 0.00, 0.35, 262, 255, soft, 0.8);
        note(s, 0.30, 0.45, 220, 196, soft, 0.7);
        save("OldSheepNo.wav", s, kComfort);
    }
    {
        std::vector<double> s; // two quiet bars, like a thought bubble
        chime(s, 0.00, 0.5, 784, 0.6);
        chime(s, 0.16, 0.5, 1047, 0.5);
        save("WoollyThink.wav", s, kThink);
    }
    {
        std::vector<double> s; // a little lamb cheering up the scale
        note(s, 0.00, 0.12, 523, 530, lamb, 0.7);
        note(s, 0.11, 0.12, 659, 665, lamb, 0.7);
        note(s, 0.22, 0.12, 784, 790, lamb, 0.7);
        note(s, 0.33, 0.35, 1047, 1060, lamb, 0.8);
        save("WoollyYes.wav", s, kCheer);
    }
    {
        std::vector<double> s; // "mm-mm": two soft falling notes
        note(s, 0.00, 0.22, 587, 580, soft, 0.7);
        note(s, 0.24, 0.32, 494, 470, soft, 0.7);
        save("WoollyNo.wav", s, kComfort);
    }
    {
        std::vector<double> s; // a cheeky "a-woo!" sliding up, then two yips
        note(s, 0.00, 0.45, 220, 440, croon, 0.9);
        note(s, 0.50, 0.10, 523, 523, croon, 0.6);
        note(s, 0.64, 0.16, 659, 659, croon, 0.7);
        save("WolfYes.wav", s, kCheer);
    }
    {
        std::vector<double> s; // a low, friendly "hmm" that sinks
        note(s, 0.00, 0.6, 196, 147, croon, 0.8);
        save("WolfNo.wav", s, kComfort);
    }
    return ok ? 0 : 1;
}
