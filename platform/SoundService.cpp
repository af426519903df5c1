#include "platform/SoundService.h"

#include "platform/TextFiles.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>
#include <cstring>

namespace {

uint32_t le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}

uint16_t le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return uint16_t(u[0] | u[1] << 8);
}

// QSoundEffect reports neither position nor length, and on some machines its playing flag
// never drops; the position is therefore the time since start, up to the file's length.
class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer(const QString &path, int64_t length, QObject *owner)
        : m_effect(new QSoundEffect(owner)), m_length(length), m_position(length)
    {
        m_effect->setSource(QUrl::fromLocalFile(path));
    }
    ~QtSoundPlayer() override { delete m_effect.data(); }

    void stop() override
    {
        m_position = position();
        m_running = false;
        if (m_effect) m_effect->stop();
    }
    void seek(int64_t position) override
    {
        m_position = std::clamp<int64_t>(position, 0, m_length);
        if (m_running) m_clock.restart();
    }
    void start() override
    {
        if (!m_effect || m_effect->status() == QSoundEffect::Error) {
            // A sound that cannot play counts as played out, or nothing would be idle again.
            m_position = m_length;
            return;
        }
        m_running = true;
        m_clock.start();
        m_effect->play();
    }
    int64_t position() const override
    {
        if (!m_running) return m_position;
        return std::min<int64_t>(m_length, m_position + m_clock.elapsed());
    }
    int64_t length() const override { return m_length; }

private:
    QPointer<QSoundEffect> m_effect;
    int64_t m_length;
    int64_t m_position;
    bool m_running = false;
    QElapsedTimer m_clock;
};

class QtSoundService : public SoundService
{
public:
    std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) override
    {
        // Without an output device QSoundEffect claims to play for ever: stay silent instead.
        if (QMediaDevices::audioOutputs().isEmpty()) return nullptr;
        const QString real = resolvePath(path);
        const int64_t length = waveLengthMs(readFileBytes(real));
        if (length < 0) return nullptr;
        return std::make_unique<QtSoundPlayer>(real, length, owner);
    }
};

QtSoundService qtService;
SoundService *current = &qtService;

} // namespace

SoundService &soundService()
{
    return *current;
}

void setSoundService(SoundService *service)
{
    current = service ? service : &qtService;
}

int64_t waveLengthMs(const QByteArray &bytes)
{
    const char *d = bytes.constData();
    const qsizetype n = bytes.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) return -1;
    uint32_t byteRate = 0;
    bool pcm16 = false;
    for (qsizetype at = 12; at + 8 <= n;) {
        const uint32_t size = le32(d + at + 4);
        const char *body = d + at + 8;
        const qsizetype avail = n - (at + 8);
        if (std::memcmp(d + at, "fmt ", 4) == 0 && size >= 16 && avail >= 16) {
            pcm16 = le16(body) == 1 && le16(body + 2) >= 1 && le16(body + 14) == 16;
            byteRate = le32(body + 8);
        } else if (std::memcmp(d + at, "data", 4) == 0) {
            if (!pcm16 || byteRate == 0) return -1;
            const int64_t data = std::min<int64_t>(size, avail);
            return data * 1000 / byteRate;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return -1;
}
