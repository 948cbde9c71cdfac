#include "copyrun/modSetWaitableTimer.h"

namespace tarnwell::copyrun {

// The platform owns the timer and the message wait, so a fake clock can
// record the pause instead of spending it.
void WaitSeconds(platform::Clock& clock, int32_t seconds) { clock.WaitSeconds(seconds); }

}  // namespace tarnwell::copyrun
