#include "platform/CueMixer.h"

#include <QtTest>
#include <cmath>

namespace {

constexpr int kRate = 44100;

// A tone of the given peak, interleaved over channels; the right channel at half level.
std::vector<int16_t> tone(int rate, int channels, double peak, int frames)
{
    std::vector<int16_t> s;
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            s.push_back(int16_t(
                std::lrint(peak * 32767 * (c ? 0.5 : 1) * std::sin(2 * M_PI * 440.0 * f / rate))));
    return s;
}

} // namespace

class tst_CueMixer : public QObject
{
    Q_OBJECT

private slots:
    // Every track plays the same tone from frame 0; stopAt >= 0 stops them after that many
    // output frames. The sum is compared with the tones resampled linearly.
    void mixesAtLevel_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("peak");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("stopAt");
        QTest::newRow("mono at half the rate, in both channels") << 22050 << 1 << 0.45 << 1 << -1;
        QTest::newRow("stereo at the output's rate") << kRate << 2 << 0.45 << 1 << -1;
        QTest::newRow("two that fit, summed untouched") << 22050 << 1 << 0.45 << 2 << -1;
        QTest::newRow("four loud ones, held under full scale") << 22050 << 1 << 0.9 << 4 << -1;
        QTest::newRow("stopped, faded out without a step") << 22050 << 1 << 0.45 << 1 << 1000;
    }
    void mixesAtLevel()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, peak);
        QFETCH(int, tracks);
        QFETCH(int, stopAt);
        const int sourceFrames = rate / 10;
        const std::vector<int16_t> samples = tone(rate, channels, peak, sourceFrames);
        CueMixer mixer(kRate);
        std::vector<CueMixer::Track> t(static_cast<size_t>(tracks));
        for (CueMixer::Track &track : t) {
            track.samples = samples.data();
            track.channels = channels;
            track.rate = rate;
            track.frames = sourceFrames;
            mixer.add(&track);
            mixer.start(&track, 0);
        }
        const int frames = kRate / 10 + 300;
        std::vector<int16_t> out(size_t(frames) * 2);
        const int first = stopAt >= 0 ? stopAt : frames;
        mixer.mix(out.data(), first);
        if (stopAt >= 0) {
            for (CueMixer::Track &track : t)
                mixer.stop(&track);
            mixer.mix(out.data() + 2 * first, frames - first);
        }
        QVERIFY(!mixer.sounding());
        QCOMPARE(CueMixer::frameOf(t[0]), int64_t(sourceFrames));

        const bool limited = tracks * peak > 0.95;
        double top = 0, worst = 0, largestStep = 0;
        for (int f = 0; f < frames; ++f) {
            const double at = double(f) * rate / kRate;
            const int i = int(at);
            for (int c = 0; c < 2; ++c) {
                const int ch = std::min(c, channels - 1);
                auto s = [&](int k) {
                    return k < sourceFrames ? samples[size_t(k * channels + ch)] : 0;
                };
                double want = tracks * (s(i) + (s(i + 1) - s(i)) * (at - i));
                if (stopAt >= 0 && f >= stopAt)
                    want *= std::max(0.0, 1.0 - double(f - stopAt) / CueMixer::kFadeFrames);
                const int16_t got = out[size_t(2 * f + c)];
                top = std::max(top, std::fabs(double(got)));
                worst = std::max(worst, std::fabs(got - want));
                if (f > 0)
                    largestStep = std::max(largestStep,
                                           std::fabs(double(got - out[size_t(2 * (f - 1) + c)])));
            }
        }
        if (limited) {
            QVERIFY2(top <= 0.95 * 32767 + 1, qPrintable(QString::number(top)));
            // Held down, not clipped: never a jump larger than the tones make themselves.
            QVERIFY(largestStep < tracks * peak * 32767 * 2 * M_PI * 440 / rate * 1.1);
        } else {
            QVERIFY2(worst <= 1.0 + tracks, qPrintable(QString::number(worst)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_CueMixer)
#include "tst_CueMixer.moc"
