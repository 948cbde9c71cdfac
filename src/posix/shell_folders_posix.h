#pragma once
// The Windows special folders the system asks for, mapped onto the XDG
// user folders.

#include "platform/system.h"

namespace tarnwell::posix {

class PosixSpecialFolders : public platform::SpecialFolders {
 public:
  // Documents (5): the user-dirs documents folder, else $HOME/Documents.
  // Local application data (28): $XDG_DATA_HOME, else $HOME/.local/share.
  // Any other number, or a folder that does not exist, gives "".
  std::string Get(platform::WindowHandle owner, int32_t csidl) override;
};

}  // namespace tarnwell::posix
