#pragma once

#include <cstdint>

class QObject;

// The characters' sound cues. This first version is silent and always idle.
class TSound
{
public:
    explicit TSound(QObject *owner);
    ~TSound();

    void Play(uint8_t character, uint8_t action);
    bool IsIdle() const;

private:
    QObject *m_owner;
};
