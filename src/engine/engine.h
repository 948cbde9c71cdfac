#pragma once
// The embedded Word: Word's Application over WordprocessingML files on disk.

#include <memory>
#include <string>

#include "engine/commandbars.h"
#include "host/object.h"

namespace tarnwell::engine {

struct Options {
  // What Application.Build reports; its major number picks the version label.
  std::string build = "11.0.0";
  // The Normal template's file; a blank one is written there when missing.
  std::string normal_template;
  // Shared by every object the application hands out.
  std::shared_ptr<host::FaultPlan> faults = std::make_shared<host::FaultPlan>();
  // The menus at start: whether Tools offers the COM Add-Ins command, and how.
  CommandBarOptions command_bars;
};

host::ObjectPtr CreateApplication(const Options& options);

// Writes a blank document (or template) as Word would start one: the
// package parts, Word's default styles and its latent built-in styles.
void WriteBlankDocument(const std::string& path);

}  // namespace tarnwell::engine
