#include "support/modSaveAsOpenDialog.h"

#include <filesystem>
#include <system_error>

#include "support/paths.h"

namespace tarnwell::support {

std::string fncShowFileDialog(platform::Ui& ui, int32_t* Flags, const std::optional<std::string>& InitDir,
                              const std::string& Filter, int32_t FilterIndex, const std::string& DefaultExt,
                              const std::string& FileName, const std::string& DialogTitle,
                              platform::WindowHandle hwndOwner, bool bOpen) {
  platform::SaveAsRequest request;
  request.flags = Flags ? *Flags : 0;
  if (InitDir) {
    request.initial_dir = *InitDir;
  } else {
    std::error_code ec;
    request.initial_dir = std::filesystem::current_path(ec).string();
  }
  request.filter = Filter;
  request.filter_index = FilterIndex;
  request.default_ext = DefaultExt;
  // The name shares the dialog's fixed buffer with its terminating NUL.
  request.file_name = CutToUtf16(fncTrimAtNul(FileName), kMaxDialogPath);
  request.title = DialogTitle;
  request.owner = hwndOwner;
  request.open = bOpen;

  const platform::FileDialogResult result = ui.FileDialog(request);
  if (!result.ok) return "";
  const std::string path = fncTrimAtNul(result.path);
  if (Utf16Length(path) > kMaxDialogPath) return "";  // the buffer could not have held it
  if (Flags) *Flags = result.flags;
  return path;
}

std::string fncAddFilterItem(const std::string& filter, const std::string& description, const std::string& pattern) {
  std::string out = filter;
  out += description;
  out.push_back('\0');
  out += pattern;
  out.push_back('\0');
  return out;
}

std::string fncTrimAtNul(const std::string& text) {
  const auto nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

}  // namespace tarnwell::support
