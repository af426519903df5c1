#include "characters/uSound.h"

#include "characters/uAnimation.h"
#include "platform/PulseSound.h"
#include "platform/WaveFile.h"
#include "support/SilentSound.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <cmath>

namespace {

// A mono 16-bit PCM wave of the given sample count at 8000 Hz.
QByteArray wave(int samples, int bits = 16)
{
    QByteArray b;
    auto u32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char(v >> (8 * i)));
    };
    auto u16 = [&b](quint16 v) {
        b.append(char(v));
        b.append(char(v >> 8));
    };
    const int bytes = samples * bits / 8;
    b.append("RIFF");
    u32(36 + bytes);
    b.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000 * bits / 8);
    u16(bits / 8);
    u16(bits);
    b.append("data");
    u32(bytes);
    b.append(QByteArray(bytes, '\0'));
    return b;
}

// A shipped cue's samples, mono, full scale 1.
std::vector<double> shipped(const TempDataDir &dir, const QString &file, int *rate = nullptr)
{
    const auto wave = parseWave(dir.readBytes("Sound/" + file));
    if (!wave) return {};
    if (rate) *rate = wave->rate;
    std::vector<double> out(size_t(wave->frames()));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = wave->samples[i * size_t(wave->channels)] / 32768.0;
    return out;
}

// Loudness while the cue sounds: RMS over its 10 ms stretches above -50 dBFS.
double activeRmsDb(const std::vector<double> &s, int rate)
{
    const size_t w = size_t(std::max(1, rate / 100));
    double sum = 0;
    size_t n = 0;
    for (size_t at = 0; at + w <= s.size(); at += w) {
        double e = 0;
        for (size_t i = at; i < at + w; ++i)
            e += s[i] * s[i];
        if (std::sqrt(e / double(w)) > 0.003) {
            sum += e;
            n += w;
        }
    }
    return n ? 10 * std::log10(sum / double(n)) : -200;
}

const QStringList kFiles{"OldSheepYes.wav", "OldSheepNo.wav", "WoollyThink.wav", "WoollyYes.wav",
                         "WoollyNo.wav",    "WolfYes.wav",    "WolfNo.wav"};

} // namespace

class tst_uSound : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<SilentSoundService> m_service;

private slots:
    void initTestCase()
    {
        // The real output is asked only for a sound server that is not there, so this machine
        // has no audio output whatever it is.
        qputenv("PULSE_SERVER", "unix:/nonexistent/sumsprout-no-server");
    }
    void init()
    {
        m_dir = std::make_unique<TempDataDir>(true);
        m_service = std::make_unique<SilentSoundService>();
    }
    void cleanup()
    {
        m_service.reset();
        m_dir.reset();
    }

    void opensEveryCueOnceAndIdle()
    {
        TSound sound(*m_service, m_dir->folders());
        QCOMPARE(m_service->opened, kFiles);
        QCOMPARE(sound.Cues.size(), size_t(7));
        for (size_t i = 0; i < 7; ++i) {
            QCOMPARE(sound.Cues[i]->Character, SoundTable[i].Character);
            QCOMPARE(sound.Cues[i]->Action, SoundTable[i].Action);
            QVERIFY(sound.Cues[i]->Player);
        }
        QVERIFY(sound.IsIdle());
        QVERIFY(m_service->plays.isEmpty());
    }

    void play_data()
    {
        QTest::addColumn<int>("character");
        QTest::addColumn<int>("action");
        QTest::addColumn<QStringList>("plays");
        QTest::newRow("old sheep yes")
            << int(anOldSheep) << int(akYes) << QStringList{"OldSheepYes.wav"};
        QTest::newRow("old sheep no")
            << int(anOldSheep) << int(akNo) << QStringList{"OldSheepNo.wav"};
        QTest::newRow("woolly think")
            << int(anWoolly) << int(akThink) << QStringList{"WoollyThink.wav"};
        QTest::newRow("woolly yes") << int(anWoolly) << int(akYes) << QStringList{"WoollyYes.wav"};
        QTest::newRow("woolly no") << int(anWoolly) << int(akNo) << QStringList{"WoollyNo.wav"};
        QTest::newRow("wolf yes") << int(anWolf) << int(akYes) << QStringList{"WolfYes.wav"};
        QTest::newRow("wolf no") << int(anWolf) << int(akNo) << QStringList{"WolfNo.wav"};
        QTest::newRow("butterfly has no cue") << int(anButterFly) << int(akRight) << QStringList{};
        QTest::newRow("only woolly thinks aloud")
            << int(anOldSheep) << int(akThink) << QStringList{};
        QTest::newRow("unknown codes") << 9 << 9 << QStringList{};
    }
    void play()
    {
        QFETCH(int, character);
        QFETCH(int, action);
        QFETCH(QStringList, plays);
        TSound sound(*m_service, m_dir->folders());
        sound.Play(uint8_t(character), uint8_t(action));
        QCOMPARE(m_service->plays, plays);
        QCOMPARE(sound.IsIdle(), plays.isEmpty());
    }

    void restartsAndOverlaps()
    {
        TSound sound(*m_service, m_dir->folders());
        sound.Play(anOldSheep, akYes);
        m_service->setPosition("OldSheepYes.wav", 300);
        sound.Play(anWoolly, akYes);
        QVERIFY(m_service->playing("OldSheepYes.wav"));
        QVERIFY(m_service->playing("WoollyYes.wav"));
        // Playing a cue that is still sounding starts it over; the other sounds on.
        sound.Play(anOldSheep, akYes);
        QCOMPARE(m_service->position("OldSheepYes.wav"), 0);
        QCOMPARE(m_service->plays,
                 (QStringList{"OldSheepYes.wav", "WoollyYes.wav", "OldSheepYes.wav"}));
        m_service->finish("OldSheepYes.wav");
        QVERIFY(!sound.IsIdle());
        m_service->finish("WoollyYes.wav");
        QVERIFY(sound.IsIdle());
        sound.Play(anWoolly, akYes);
        QVERIFY(!sound.IsIdle());
    }

    void unplayableFilesStaySilent_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // empty: the file is removed
        QTest::newRow("missing") << "WolfNo.wav" << QByteArray();
        QTest::newRow("not a wave") << "WolfNo.wav" << QByteArray("no sound in here");
        QTest::newRow("8-bit samples") << "WolfNo.wav" << wave(800, 8);
        QTest::newRow("missing folder") << "" << QByteArray();
    }
    void unplayableFilesStaySilent()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        CapturingReporter reporter;
        if (file.isEmpty())
            QVERIFY(QDir(m_dir->path("Sound")).removeRecursively());
        else if (bytes.isEmpty())
            m_dir->remove("Sound/" + file);
        else
            m_dir->writeBytes("Sound/" + file, bytes);
        TSound sound(*m_service, m_dir->folders());
        QCOMPARE(sound.Cues.size(), size_t(7));
        int silent = 0;
        for (const auto &cue : sound.Cues)
            silent += cue->Player ? 0 : 1;
        QCOMPARE(silent, file.isEmpty() ? 7 : 1);
        sound.Play(anWolf, akNo);
        QVERIFY(m_service->plays.isEmpty());
        QVERIFY(sound.IsIdle());
        if (!file.isEmpty()) {
            sound.Play(anWolf, akYes);
            QCOMPARE(m_service->plays, QStringList{"WolfYes.wav"});
        }
        QVERIFY(reporter.errors.isEmpty());
    }

    void waveLength_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("half a second") << wave(4000) << qint64(500);
        QTest::newRow("empty data") << wave(0) << qint64(0);
        QTest::newRow("8 bits") << wave(4000, 8) << qint64(-1);
        QTest::newRow("truncated") << wave(4000).left(30) << qint64(-1);
        QTest::newRow("data cut short") << wave(4000).left(44 + 800) << qint64(50);
        QTest::newRow("not RIFF") << QByteArray(64, 'x') << qint64(-1);
    }
    void waveLength()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, ms);
        QCOMPARE(qint64(waveLengthMs(bytes)), ms);
    }

    void shippedCuesAreShortPcm()
    {
        for (const QString &f : kFiles) {
            const int64_t ms = waveLengthMs(m_dir->readBytes("Sound/" + f));
            QVERIFY2(ms >= 300 && ms <= 2000, qPrintable(f));
        }
    }

    // A reaction's cues overlap, the next starting about half a second after the one before
    // (the wait is not exact, and the think cue may still be sounding): together they stay
    // under full scale.
    void overlappingCuesStayUnderFullScale_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("firstMs"); // when the first file starts, before the second
        QTest::newRow("right answer")
            << QStringList{"OldSheepYes.wav", "WoollyYes.wav", "WolfYes.wav"} << 500;
        QTest::newRow("wrong answer")
            << QStringList{"OldSheepNo.wav", "WolfNo.wav", "WoollyNo.wav"} << 500;
        QTest::newRow("think, then right")
            << QStringList{"WoollyThink.wav", "OldSheepYes.wav", "WoollyYes.wav"} << 0;
        QTest::newRow("think, then wrong")
            << QStringList{"WoollyThink.wav", "OldSheepNo.wav", "WolfNo.wav"} << 0;
    }
    void overlappingCuesStayUnderFullScale()
    {
        QFETCH(QStringList, files);
        QFETCH(int, firstMs);
        int rate = 0;
        std::vector<std::vector<double>> cues;
        for (const QString &f : files)
            cues.push_back(shipped(*m_dir, f, &rate));
        double worst = 0;
        // The second cue 0 to 700 ms after the first (for a reaction, from 500 ms), the third
        // 400 to 600 ms after the second, in 5 ms steps.
        for (int a = firstMs; a <= 700; a += 5)
            for (int b = 400; b <= 600; b += 5) {
                const size_t second = size_t(a * rate / 1000), third = second + b * rate / 1000;
                const size_t n =
                    std::max({cues[0].size(), second + cues[1].size(), third + cues[2].size()});
                for (size_t i = 0; i < n; ++i) {
                    double sum = i < cues[0].size() ? cues[0][i] : 0;
                    if (i >= second && i - second < cues[1].size()) sum += cues[1][i - second];
                    if (i >= third && i - third < cues[2].size()) sum += cues[2][i - third];
                    worst = std::max(worst, std::fabs(sum));
                }
            }
        qInfo("peak of the sum %.3f", worst);
        QVERIFY2(worst < 0.95, qPrintable(QString::number(worst)));
    }

    // The think cue is gentler than the reactions, but not so much that it goes unheard.
    void thinkIsGentleButHeard()
    {
        int rate = 0;
        const std::vector<double> thinkSamples = shipped(*m_dir, "WoollyThink.wav", &rate);
        QVERIFY(rate > 0);
        const double think = activeRmsDb(thinkSamples, rate);
        double loudest = -200, sum = 0;
        int n = 0;
        for (const QString &f : kFiles) {
            if (f == "WoollyThink.wav") continue;
            const std::vector<double> samples = shipped(*m_dir, f, &rate);
            const double level = activeRmsDb(samples, rate);
            loudest = std::max(loudest, level);
            sum += level;
            ++n;
        }
        QVERIFY2(
            think <= loudest && think >= sum / n - 6,
            qPrintable(
                QStringLiteral("think %1 dB, reactions %2 dB on average").arg(think).arg(sum / n)));
    }

    // Every cue rises from silence and dies away before it stops: no click either end.
    void cuesBeginAndEndSoftly_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &f : kFiles)
            QTest::newRow(qPrintable(f)) << f;
    }
    void cuesBeginAndEndSoftly()
    {
        QFETCH(QString, file);
        int rate = 0;
        const std::vector<double> s = shipped(*m_dir, file, &rate);
        QVERIFY(!s.empty());
        size_t end = s.size();
        while (end > 0 && std::fabs(s[end - 1]) < 0.001)
            --end;
        const size_t ms = size_t(rate / 1000);
        double top = 0, head = 0, tail = 0;
        for (double x : s)
            top = std::max(top, std::fabs(x));
        // A bell may strike within a few milliseconds; a click is there at once.
        for (size_t i = 0; i < ms && i < s.size(); ++i)
            head = std::max(head, std::fabs(s[i]));
        for (size_t i = end > 2 * ms ? end - 2 * ms : 0; i < end; ++i)
            tail = std::max(tail, std::fabs(s[i]));
        QVERIFY2(head < 0.25 * top, qPrintable(QString::number(head / top)));
        QVERIFY2(tail < 0.03 * top, qPrintable(QString::number(tail / top)));
    }

    // The output is looked for when the first cue starts, off the caller's thread: with none
    // there, that cue counts as played out, and so does every cue started before the output
    // is looked for again.
    void withoutAudioOutputEveryCueIsSilent()
    {
        PulseSoundService output;
        TSound sound(output, m_dir->folders());
        sound.Play(anWoolly, akThink);
        QTRY_VERIFY_WITH_TIMEOUT(sound.IsIdle(), 5000);
        sound.Play(anWoolly, akYes);
        QVERIFY(sound.IsIdle());
    }
};

QTEST_MAIN(tst_uSound)
#include "tst_uSound.moc"
