#pragma once
// Moving one named style from the source document to the target: the fast
// copy through Word's organizer and a scratch document, and the slow copy
// that makes the style exist and then transfers its properties.

#include <cstdint>
#include <functional>
#include <string>

#include "host/word.h"
#include "platform/system.h"

namespace tarnwell::transfer {

// What a slow transfer needs from the copy run around it.
struct TransferContext {
  platform::Platform& platform;
  host::Application app;
  // The run's per-style "Copy error" report (name, Word error number, description).
  std::function<void(const std::string& style_name, int32_t number, const std::string& description)> report_copy_error;
  // The run's buffer flush for one document (FlushWordBuffers in a real run).
  std::function<void(const host::Document&)> flush;
  // The run's paced wait of whole seconds (WaitSeconds in a real run).
  std::function<void(int32_t)> wait_seconds;
};

// Two organizer copies: source -> scratch -> target. Word errors propagate.
void fncFastCopyStyle(const host::Application& app, const std::string& sourcePath, const std::string& scratchPath,
                      const std::string& targetPath, const std::string& name);

// Makes sure the target has a style of that name; 5173 from Styles.Add is
// ignored, other errors propagate.
void fncEnsureStyle(const host::Document& source, const host::Document& target, const std::string& name);

// Transfers one style's properties with the routine its type and the Word
// version select; raises 4605 from a routine, reports other failures through
// the context, then flushes both documents.
void fncTransferStyle(const TransferContext& ctx, const host::Document& source, const host::Document& target,
                      const std::string& name);

}  // namespace tarnwell::transfer
