#pragma once

#include "platform/SoundService.h"

#include <QMap>
#include <QString>
#include <QStringList>

// A sound service that plays nothing: it opens every readable 16-bit PCM wave file, records
// each start, and leaves a started sound playing until finish() says it has ended.
class SilentSoundService : public SoundService
{
public:
    std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) override;

    // File names (without folder) in the order they were started.
    QStringList plays;
    QStringList opened;
    // Ends the sound of that file name, or every sound when name is empty.
    void finish(const QString &name = QString());
    // Moves a sound to a position as if it had played that far.
    void setPosition(const QString &name, int64_t position);
    int64_t position(const QString &name) const;
    bool playing(const QString &name) const;

private:
    struct State
    {
        int64_t position = 0;
        int64_t length = 0;
    };
    friend class SilentSoundPlayer;
    QMap<QString, State> m_states;
};
