#include "characters/uSound.h"

#include "characters/uAnimation.h"
#include "platform/SoundService.h"
#include "support/SilentSound.h"
#include "support/TestSupport.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QtTest>

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

const QStringList kFiles{"OldSheepYes.wav", "OldSheepNo.wav", "WoollyThink.wav", "WoollyYes.wav",
                         "WoollyNo.wav",    "WolfYes.wav",    "WolfNo.wav"};

} // namespace

class tst_uSound : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<SilentSoundService> m_service;

private slots:
    void init()
    {
        m_dir = std::make_unique<TempDataDir>(true);
        m_service = std::make_unique<SilentSoundService>();
        setSoundService(m_service.get());
    }
    void cleanup()
    {
        setSoundService(nullptr);
        m_service.reset();
        m_dir.reset();
    }

    void opensEveryCueOnceAndIdle()
    {
        TSound sound(nullptr);
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
        TSound sound(nullptr);
        sound.Play(uint8_t(character), uint8_t(action));
        QCOMPARE(m_service->plays, plays);
        QCOMPARE(sound.IsIdle(), plays.isEmpty());
    }

    void restartsAndOverlaps()
    {
        TSound sound(nullptr);
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
        TSound sound(nullptr);
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

    void withoutAudioOutputEveryCueIsSilent()
    {
        if (!QMediaDevices::audioOutputs().isEmpty()) QSKIP("this machine has an audio output");
        setSoundService(nullptr);
        TSound sound(nullptr);
        for (const auto &cue : sound.Cues)
            QVERIFY(!cue->Player);
        sound.Play(anWoolly, akThink);
        QVERIFY(sound.IsIdle());
    }
};

QTEST_MAIN(tst_uSound)
#include "tst_uSound.moc"
