#include "copyrun/modFlushBuffers.h"

namespace tarnwell::copyrun {

void FlushWordBuffers(platform::Clock& clock, const host::Application& app, const host::Document& doc) {
  doc.UndoClear();
  app.SetScreenUpdating(true);
  app.ScreenRefresh();
  clock.PumpMessages();
  clock.Sleep(50);
}

void FlushWordBuffersScreenOff(platform::Clock& clock, const host::Application& app, const host::Document& doc) {
  // Repaint once before going dark, so the user sees the last state.
  app.SetScreenUpdating(true);
  app.ScreenRefresh();
  app.SetScreenUpdating(false);
  clock.Sleep(100);
  doc.UndoClear();
  clock.PumpMessages();
}

}  // namespace tarnwell::copyrun
