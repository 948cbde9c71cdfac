#pragma once
// Tab stops for list boxes, so that a line can carry text after a tab that
// stays out of sight (the document lists keep the full name there).

#include <cstdint>
#include <vector>

#include "dialog/controls.h"
#include "platform/ui.h"

namespace tarnwell::dialog {

// widths are in characters; the stops are cumulative and in dialog template
// units (four per average character). They are stored on the list and sent
// to the view's list. Errors are ignored: a list without stops still works.
void SetListTabStops(platform::Ui& ui, ListBox& list, const std::vector<int32_t>& widths);

}  // namespace tarnwell::dialog
