#pragma once
// Moving one named style from the source document to the target: the fast
// copy through Word's organizer and a scratch document, and the slow copy
// that makes the style exist and then transfers its properties.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/word.h"
#include "platform/system.h"
#include "support/errors.h"

namespace tarnwell::transfer {

struct TransferContext;

// A property transfer from the source style to the target style; the
// result's number is 0 when it completed, else the Word error that stopped
// it, with that error's description.
using TransferRoutine =
    std::function<support::ErrInfo(const TransferContext& ctx, const host::Style& source, const host::Style& target,
                                   const host::Document& sourceDoc, const host::Document& targetDoc)>;

// One row of the slow copy's choice: the routine for a source style type
// under a Word version label ("" for any label).
struct TransferSelection {
  host::StyleType type;
  std::string version;
  TransferRoutine routine;
};

// The slow copy's choice by type and version.
const std::vector<TransferSelection>& DefaultTransferRoutines();

// The routine for a type under a version label; empty when none applies.
TransferRoutine SelectTransferRoutine(const std::vector<TransferSelection>& table, host::StyleType type,
                                      const std::string& version);

// What a slow transfer needs from the copy run around it.
struct TransferContext {
  platform::Platform& platform;
  host::Application app;
  // The run's per-style "Copy error" report (name, Word error number, description).
  std::function<void(const std::string& style_name, int32_t number, const std::string& description)> report_copy_error;
  // The run's buffer flush for one document (FlushWordBuffers in a real run).
  std::function<void(const host::Document&)> flush;
  // The run's flush that leaves Word's screen off (FlushWordBuffersScreenOff
  // in a real run), between a table style's groups of conditional areas.
  std::function<void(const host::Document&)> flush_screen_off;
  // The run's paced wait of whole seconds (WaitSeconds in a real run).
  std::function<void(int32_t)> wait_seconds;
  // The choice of routines; DefaultTransferRoutines() when null.
  const std::vector<TransferSelection>* routines = nullptr;
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
