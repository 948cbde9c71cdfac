#include "support/globals.h"

namespace tarnwell::support {

host::Application gWordApp;
host::Document gActiveDoc;
std::string gDocsFolder;
std::string gScratchFolder;
std::string gWordVersion;
bool gNormalDotOpened = false;

void ResetGlobals() {
  gWordApp = host::Application();
  gActiveDoc = host::Document();
  gDocsFolder.clear();
  gScratchFolder.clear();
  gWordVersion.clear();
  gNormalDotOpened = false;
}

}  // namespace tarnwell::support
