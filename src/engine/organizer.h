#pragma once
// Word's organizer for styles: one style's whole element carried from one
// document to another, with the references it holds made to resolve there.

#include <string>

namespace tarnwell::engine {

class DocumentModel;

// Copies the style named name (as shown or as stored) from source into
// destination, replacing a same-named style's element in place or adding
// it. Raises 5941 when the source has no such style.
void OrganizerCopyStyle(DocumentModel& source, DocumentModel& destination, const std::string& name);

}  // namespace tarnwell::engine
