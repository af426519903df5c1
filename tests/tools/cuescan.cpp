// Lists the cues found in a recording of the game's output: when each starts, at what level,
// and whether it was heard to its end.
// Usage: cuescan RECORDING SOUND_FOLDER [RATE]
//   RECORDING: raw mono signed 16-bit little-endian samples, as `parec --raw --channels=1
//   --format=s16le --rate=RATE` writes them (RATE 44100 unless given).
#include "support/CueScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: cuescan RECORDING SOUND_FOLDER [RATE]\n");
        return 2;
    }
    const int rate = args.size() > 3 ? args[3].toInt() : 44100;
    QFile file(args[1]);
    if (rate <= 0 || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cuescan: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::vector<float> rec(size_t(bytes.size() / 2));
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (size_t i = 0; i < rec.size(); ++i)
        rec[i] = float(int16_t(uint16_t(b[2 * i] | b[2 * i + 1] << 8))) / 32768.0f;
    const float top = cuescan::peak(rec);
    std::printf("recording %.1f s, peak %.4f (%.1f dBFS)\n", double(rec.size()) / rate, top,
                20 * std::log10(std::max(top, 1e-6f)));

    struct Found
    {
        QString name;
        const std::vector<float> *cue;
        cuescan::Hit hit;
    };
    std::vector<std::vector<float>> cues;
    QStringList names;
    for (const QString &name : QDir(args[2]).entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        cues.push_back(cuescan::loadCue(QDir(args[2]).filePath(name), rate));
        names << name;
    }
    const cuescan::Scanner scan(rec);
    std::vector<Found> found;
    for (size_t c = 0; c < cues.size(); ++c)
        for (const cuescan::Hit &hit : scan.findAll(cues[c], 0.5))
            found.push_back({names[int(c)], &cues[c], hit});
    std::sort(found.begin(), found.end(),
              [](const Found &a, const Found &b) { return a.hit.at < b.hit.at; });

    std::vector<cuescan::Placed> placed;
    for (const Found &f : found)
        placed.push_back({f.cue, f.hit.at, -1});
    const std::vector<float> expect = cuescan::model(rec.size(), placed);
    const int64_t tenMs = rate / 100;
    std::printf("%10s  %-16s %6s %6s  %s\n", "start s", "cue", "level", "match", "end");
    for (const Found &f : found) {
        const int64_t end = f.hit.at + cuescan::audibleEnd(*f.cue, 0.01f);
        QString whole = QStringLiteral("past the recording");
        if (end <= int64_t(rec.size())) {
            std::vector<float> diff(static_cast<size_t>(tenMs));
            for (int64_t i = 0; i < tenMs; ++i)
                diff[size_t(i)] = rec[size_t(end - tenMs + i)] - expect[size_t(end - tenMs + i)];
            const double want = cuescan::rmsDb(expect.data() + end - tenMs, size_t(tenMs));
            const double left = cuescan::rmsDb(diff.data(), diff.size());
            whole = left <= want - 10 ? QStringLiteral("whole") : QStringLiteral("CUT");
            whole += QStringLiteral(" (last 10 ms: %1 dB off %2 dB)")
                         .arg(left, 0, 'f', 1)
                         .arg(want, 0, 'f', 1);
        }
        std::printf("%10.3f  %-16s %6.3f %6.3f  %s\n", double(f.hit.at) / rate, qPrintable(f.name),
                    f.hit.gain, f.hit.score, qPrintable(whole));
    }
    return 0;
}
