#pragma once
// Word's version label and the checked access to gWordApp.

#include <string>

#include "host/word.h"
#include "platform/ui.h"

namespace tarnwell::support {

// Sets gWordVersion from Word's major version ("8" .. "12"); any other text
// leaves it as it was.
void fncSetWordVersion(const std::string& major);

// Reads app.Build ("11.0.8169") and sets gWordVersion from the part before
// the first dot. Raises the host's error when Build cannot be read.
void fncReadWordEnvironment(const host::Application& app);

// The object taken as Word's Application: nothing stays nothing, anything
// that is not Word's Application raises HostError 13 (type mismatch).
host::Application AsWordApplication(host::ObjectPtr o);

// Stores any object (or nothing) in gWordApp.
void SetWordApp(host::ObjectPtr app);

// gWordApp when it can be taken as Word's Application. Otherwise shows the
// error's number, a blank and its description (OK button) and returns
// nothing. Nothing stored gives nothing without a message.
host::Application GetWordApp(platform::Ui& ui);

}  // namespace tarnwell::support
