#pragma once
// The Help menu's links: the help file beside the add-in, opened at a
// topic by the platform's help viewer, and the About box.

#include <cstdint>
#include <string>

#include "dialog/frmVellAbout_COM.h"
#include "platform/system.h"

namespace tarnwell::dialog {

inline constexpr const char* kHelpFile = "\\TarnwellHelp.chm";
inline constexpr int32_t kHelpGettingStarted = 3;
inline constexpr int32_t kHelpUsing = 87;

// The add-in's folder followed by file (a name beginning with a backslash).
// Where the folder is written with "/", the file's backslash becomes one.
std::string HelpPath(platform::Files& files, const std::string& file);

// Opens the help file at contextId; below 1, at its contents. A missing
// file is the viewer's to report; a missing viewer gets the common error
// message.
void fncShowHelp(platform::Platform& platform, const std::string& file, int32_t contextId,
                 platform::WindowHandle hwndCaller);

// Shows the About box modally; returns once it is closed. Errors end it
// quietly.
void fncShowAbout(platform::Ui& ui, frmVellAbout_COM& about);

}  // namespace tarnwell::dialog
