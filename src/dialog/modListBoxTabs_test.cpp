#include "dialog/modListBoxTabs.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "platform/fakes.h"

namespace tarnwell::dialog {
namespace {

// Measures letters and at-signs at different widths, as a proportional
// font does.
class ProportionalUi : public platform::FakeUi {
 public:
  int32_t letter = 0;  // total width of the 52 letters
  int32_t at = 10;     // width of one "@"
  bool fail_messages = false;
  int32_t TextWidth(const std::string& text) override {
    if (!text.empty() && text[0] == '@') return at * static_cast<int32_t>(text.size());
    return letter;
  }
  void ListMessage(const std::string& list, uint32_t message, const std::vector<int32_t>& args) override {
    if (fail_messages) throw host::HostError(host::kErrUnspecified, "no window");
    FakeUi::ListMessage(list, message, args);
  }
};

TEST(SetListTabStops, OneUnitPerCharacterGivesStopsFourPerCharacterAndZeroWidthsPad) {
  platform::FakeUi ui;
  ListBox list("lstSourceDocs");
  SetListTabStops(ui, list, {500, 5});
  // avg 1, pad 2, unit 1: 4 * 502 and then 4 * 7 more.
  EXPECT_EQ(list.tab_stops, (std::vector<int32_t>{2008, 2036}));
  ASSERT_EQ(ui.list_messages.size(), 1u);
  EXPECT_EQ(ui.list_messages[0].list, "lstSourceDocs");
  EXPECT_EQ(ui.list_messages[0].message, platform::kLbSetTabStops);
  EXPECT_EQ(ui.list_messages[0].args, list.tab_stops);
  SetListTabStops(ui, list, {0, 0});
  EXPECT_EQ(list.tab_stops, (std::vector<int32_t>{8, 16}));
}

TEST(SetListTabStops, HalvesRoundToEvenAndDivisionTruncates) {
  ProportionalUi ui;
  ui.letter = 338;  // avg 6.5: pad 13, unit 6 (not 7)
  ListBox list("lstStyles", true);
  SetListTabStops(ui, list, {5, 1});
  // (50 + 13) \ 6 = 10 -> 40; (10 + 13) \ 6 = 3 -> 40 + 12.
  EXPECT_EQ(list.tab_stops, (std::vector<int32_t>{40, 52}));
}

TEST(SetListTabStops, FailuresAreIgnoredAndSendNothingHalfDone) {
  ProportionalUi ui;
  ui.letter = 20;  // avg below half a pixel: unit 0, no stops possible
  ListBox list("lstStyles");
  SetListTabStops(ui, list, {500, 5});
  EXPECT_TRUE(list.tab_stops.empty());
  EXPECT_TRUE(ui.list_messages.empty());

  ui.letter = 52;
  SetListTabStops(ui, list, {-1});
  EXPECT_TRUE(ui.list_messages.empty());

  ui.fail_messages = true;
  EXPECT_NO_THROW(SetListTabStops(ui, list, {3}));
}

}  // namespace
}  // namespace tarnwell::dialog
