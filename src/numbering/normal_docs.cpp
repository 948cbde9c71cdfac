#include "numbering/normal_docs.h"

#include "host/host_error.h"
#include "host/word.h"
#include "support/globals.h"

namespace tarnwell::numbering {

std::string NormalStylesDocPath() { return support::gDocsFolder + kNormalStylesDocName; }

void fncCloseNormalStylesDoc(platform::Platform& platform) {
  for (const host::Document& doc : support::gWordApp.GetDocuments().all()) {
    if (doc.Name() != kNormalStylesDocName) continue;
    doc.SetSaved(true);
    doc.Close(0);
    const std::string path = NormalStylesDocPath();
    if (platform.files.Exists(path) && !platform.files.Delete(path)) {
      throw host::HostError(host::kErrPermissionDenied, "Permission denied: could not delete " + path);
    }
    return;
  }
}

void fncCloseNormalDot(const host::Value& flag) {
  // A variant compared with True: only a number equal to -1 (a Boolean True
  // converts to it) passes; a string or an object never does.
  if (!flag.is_number() || flag.as_double() != -1.0) return;
  const host::Document normal = support::gWordApp.GetDocuments().Item(kNormalDotName);
  normal.SetSaved(true);
  normal.Close(0);
}

}  // namespace tarnwell::numbering
