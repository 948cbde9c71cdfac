#pragma once
// The activation pass: every style of a document applied once to a scratch
// paragraph at its end, so that Word links numbering to styles that exist.

#include "host/word.h"
#include "platform/system.h"

namespace tarnwell::numbering {

// True when the pass completed; False after it reported its own failure.
bool fncActivateStyles(platform::Platform& platform, host::Document& docDoc);

}  // namespace tarnwell::numbering
