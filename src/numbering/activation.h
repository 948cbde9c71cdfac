#pragma once
// The activation pass: every style of a document applied once to a scratch
// paragraph at its end, so that Word links numbering to styles that exist.

#include <cstdint>
#include <functional>

#include "host/word.h"
#include "platform/system.h"

namespace tarnwell::numbering {

// True when the pass completed; False after it reported its own failure.
// wait_seconds is the run's paced wait (WaitSeconds in a real run).
bool fncActivateStyles(platform::Platform& platform, host::Document& docDoc,
                       const std::function<void(int32_t)>& wait_seconds);

}  // namespace tarnwell::numbering
