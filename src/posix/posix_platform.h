#pragma once
// The platform services of a POSIX system, bundled for a home that brings
// its own user interface (the command line's terminal).

#include "platform/system.h"
#include "posix/clock_posix.h"
#include "posix/files_posix.h"
#include "posix/processes_posix.h"
#include "posix/registry_posix.h"
#include "posix/settings_posix.h"
#include "posix/shell_folders_posix.h"

namespace tarnwell::posix {

struct PosixPlatform {
  PosixFiles files;
  PosixRegistry registry;
  PosixProcesses processes;
  PosixSpecialFolders folders;
  PosixSettings settings;
  PosixClock clock;
  NoWaitClock no_wait_clock;
  // Real waits only when asked for: the embedded engine needs no pacing.
  bool real_waits = false;

  platform::Platform platform(platform::Ui& ui) {
    platform::Clock& chosen = real_waits ? static_cast<platform::Clock&>(clock) : no_wait_clock;
    return platform::Platform{ui, files, registry, processes, folders, settings, chosen};
  }
};

}  // namespace tarnwell::posix
