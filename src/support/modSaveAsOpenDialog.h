#pragma once
// The platform's Open / Save As file dialog and the filter list it takes.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui.h"

namespace tarnwell::support {

// The longest path the dialog's 256-character buffer holds, in UTF-16
// code units.
inline constexpr std::size_t kMaxDialogPath = 255;

// Shows the dialog and returns the chosen full path, or "" when the user
// cancelled or the dialog failed (a path too long for its buffer fails).
// Flags, when given, receives the flags the dialog returns. InitDir omitted
// means the process's current directory.
std::string fncShowFileDialog(platform::Ui& ui, int32_t* Flags = nullptr,
                              const std::optional<std::string>& InitDir = std::nullopt,
                              const std::string& Filter = "", int32_t FilterIndex = 1,
                              const std::string& DefaultExt = "", const std::string& FileName = "",
                              const std::string& DialogTitle = "", platform::WindowHandle hwndOwner = 0,
                              bool bOpen = true);

// filter, then description NUL pattern NUL.
std::string fncAddFilterItem(const std::string& filter, const std::string& description,
                             const std::string& pattern = "*.*");

// text up to its first NUL; the whole text when it has none.
std::string fncTrimAtNul(const std::string& text);

}  // namespace tarnwell::support
