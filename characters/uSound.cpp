#include "characters/uSound.h"

TSound::TSound(QObject *owner) : m_owner(owner) {}
TSound::~TSound() = default;

void TSound::Play(uint8_t, uint8_t) {}

bool TSound::IsIdle() const
{
    return true;
}
