#pragma once
// The user's documents folder and local application data folder.

#include <string>

#include "platform/system.h"

namespace tarnwell::support {

// The path of a shell special folder without a trailing separator, or ""
// when the shell cannot resolve it.
std::string fncGetSpecialFolder(platform::Platform& platform, platform::WindowHandle hwndOwner,
                                int32_t csidl);

// Sets gDocsFolder: the documents folder with a trailing separator, or
// FallbackDocsFolder() when it holds no file with normal attributes.
void fncSetDocsFolder(platform::Platform& platform, platform::WindowHandle hwndOwner);

// Sets gScratchFolder: local application data with a trailing separator, or
// "" when it holds no file with normal attributes.
void fncSetScratchFolder(platform::Platform& platform, platform::WindowHandle hwndOwner);

// True when the folder (ending with a separator) lists at least one entry
// that is neither a folder nor hidden or system.
bool HasNormalFile(platform::Files& files, const std::string& folder);

}  // namespace tarnwell::support
