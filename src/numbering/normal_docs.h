#pragma once
// The two documents through which the dialog works on the Normal template:
// the style document that stands in for it as a source, and the Normal
// template opened as a document when it is the target.

#include "host/value.h"
#include "platform/system.h"

namespace tarnwell::numbering {

// A plain new document based on Normal, saved in gDocsFolder, whose styles
// are the Normal template's.
inline constexpr const char* kNormalStylesDocName = "NormalTemplateStyles_Vell.doc";
// The Normal template's name when it is open as a document.
inline constexpr const char* kNormalDotName = "Normal.dot";

// gDocsFolder followed by kNormalStylesDocName.
std::string NormalStylesDocPath();

// When the style document is open: marks it saved, closes it without
// saving and deletes its file from gDocsFolder when there is one. Does
// nothing when it is not open (a file left behind stays). Errors go to the
// caller; a file that cannot be deleted raises 70 naming it.
void fncCloseNormalStylesDoc(platform::Platform& platform);

// Only when flag equals True (-1, or a Boolean True): marks the open
// document "Normal.dot" saved and closes it without saving. Raises 5941
// when no open document has that name.
void fncCloseNormalDot(const host::Value& flag);

}  // namespace tarnwell::numbering
