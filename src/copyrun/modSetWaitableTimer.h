#pragma once
// Gives Word time: a wait of whole seconds during which messages are pumped.

#include <cstdint>

#include "platform/system.h"

namespace tarnwell::copyrun {

void WaitSeconds(platform::Clock& clock, int32_t seconds);

}  // namespace tarnwell::copyrun
