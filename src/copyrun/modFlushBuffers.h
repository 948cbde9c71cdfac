#pragma once
// Empties a document's undo buffer and lets Word repaint, so long runs of
// automation do not exhaust Word's edit buffers.

#include "host/word.h"
#include "platform/system.h"

namespace tarnwell::copyrun {

// Leaves screen updating on.
void FlushWordBuffers(platform::Clock& clock, const host::Application& app, const host::Document& doc);
// The same work in another order, ending with screen updating off.
void FlushWordBuffersScreenOff(platform::Clock& clock, const host::Application& app, const host::Document& doc);

}  // namespace tarnwell::copyrun
