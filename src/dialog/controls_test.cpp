#include "dialog/controls.h"

#include <gtest/gtest.h>

#include "engine/test_support.h"
#include "host/host_error.h"

namespace tarnwell::dialog {
namespace {

ListBox Filled(bool multi) {
  ListBox list("lst", multi);
  for (const char* s : {"one", "two", "three"}) list.AddItem(s);
  return list;
}

TEST(ListBox, SingleSelectionFollowsTheCurrentLine) {
  ListBox list = Filled(false);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.Text(), "");
  list.SetSelected(1, true);
  EXPECT_EQ(list.ListIndex(), 1);
  EXPECT_EQ(list.Text(), "two");
  list.SetListIndex(2);
  EXPECT_FALSE(list.Selected(1));
  EXPECT_TRUE(list.Selected(2));
  EXPECT_EQ(list.SelCount(), 1);
  list.SetSelected(0, false);  // not the current line: nothing changes
  EXPECT_EQ(list.ListIndex(), 2);
  list.SetSelected(2, false);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.SelCount(), 0);
}

TEST(ListBox, SeveralSelectionsAreIndependentOfTheCurrentLine) {
  ListBox list = Filled(true);
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  list.SetListIndex(1);
  EXPECT_EQ(list.SelCount(), 2);
  EXPECT_FALSE(list.Selected(1));
  list.SetListIndex(-1);
  EXPECT_EQ(list.SelCount(), 2);
  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_EQ(list.ListIndex(), -1);
}

TEST(ListBox, IndexesOutsideTheLinesRaise381) {
  ListBox list = Filled(false);
  for (int32_t bad : {-1, 3}) {
    EXPECT_EQ(engine::testing::ErrorOf([&] { (void)list.List(bad); }), kErrInvalidPropertyArrayIndex) << bad;
  }
  EXPECT_THROW(list.SetListIndex(3), host::HostError);
  EXPECT_THROW(list.SetListIndex(-2), host::HostError);
  EXPECT_THROW((void)list.Selected(5), host::HostError);
}

TEST(ComboBox, TextIsTheChosenEntry) {
  ComboBox combo("cmb");
  combo.AddItem("Character");
  combo.AddItem("Paragraph");
  EXPECT_EQ(combo.Text(), "");
  combo.SetListIndex(1);
  EXPECT_EQ(combo.Text(), "Paragraph");
  EXPECT_THROW(combo.SetListIndex(2), host::HostError);
  combo.Clear();
  EXPECT_EQ(combo.ListIndex(), -1);
}

}  // namespace
}  // namespace tarnwell::dialog
