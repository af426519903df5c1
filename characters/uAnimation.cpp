#include "characters/uAnimation.h"

TAnimation::TAnimation() = default;
TAnimation::~TAnimation() = default;

void TAnimation::Animate()
{
    ReactionDone = true;
}

void TAnimation::PlayAction(uint8_t, uint8_t) {}
