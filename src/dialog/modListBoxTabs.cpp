#include "dialog/modListBoxTabs.h"

#include <string>

#include "dialog/modQuickSort.h"
#include "support/errors.h"

namespace tarnwell::dialog {

void SetListTabStops(platform::Ui& ui, ListBox& list, const std::vector<int32_t>& widths) {
  // Every control shares the dialog's font, so the form already measures in
  // the list's font and the width service answers in pixels.
  support::SkipErrors([&] {
    const double avg = ui.TextWidth("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") / 52.0;
    const int32_t pad = RoundHalfEven(avg + avg);
    const int32_t unit = RoundHalfEven(avg);
    if (unit <= 0) return;  // a font that measures nothing gives no stops
    std::vector<int32_t> stops;
    int32_t stop = 0;
    for (int32_t n : widths) {
      if (n < 0) return;
      const int32_t w = ui.TextWidth(std::string(static_cast<size_t>(n), '@'));
      stop += 4 * ((w + pad) / unit);
      stops.push_back(stop);
    }
    list.tab_stops = stops;
    ui.ListMessage(list.name(), platform::kLbSetTabStops, stops);
  });
}

}  // namespace tarnwell::dialog
