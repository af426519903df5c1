#include "SilentSound.h"

#include "platform/TextFiles.h"

#include <QFileInfo>
#include <algorithm>

class SilentSoundPlayer : public SoundPlayer
{
public:
    SilentSoundPlayer(SilentSoundService &service, const QString &name)
        : m_service(service), m_name(name)
    {
    }
    void stop() override {}
    void seek(int64_t position) override
    {
        auto &s = m_service.m_states[m_name];
        s.position = std::clamp<int64_t>(position, 0, s.length);
    }
    void start() override { m_service.plays << m_name; }
    int64_t position() const override { return m_service.m_states.value(m_name).position; }
    int64_t length() const override { return m_service.m_states.value(m_name).length; }

private:
    SilentSoundService &m_service;
    QString m_name;
};

std::unique_ptr<SoundPlayer> SilentSoundService::open(const QString &path, QObject *)
{
    const QString real = resolvePath(path);
    const int64_t length = waveLengthMs(readFileBytes(real));
    if (length < 0) return nullptr;
    const QString name = QFileInfo(real).fileName();
    m_states[name] = State{0, length};
    opened << name;
    return std::make_unique<SilentSoundPlayer>(*this, name);
}

void SilentSoundService::finish(const QString &name)
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it)
        if (name.isEmpty() || it.key().compare(name, Qt::CaseInsensitive) == 0)
            it->position = it->length;
}

bool SilentSoundService::playing(const QString &name) const
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it->position != it->length;
    return false;
}

void SilentSoundService::setPosition(const QString &name, int64_t position)
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            it->position = std::clamp<int64_t>(position, 0, it->length);
}

int64_t SilentSoundService::position(const QString &name) const
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it->position;
    return -1;
}
