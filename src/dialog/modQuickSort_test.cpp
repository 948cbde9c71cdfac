#include "dialog/modQuickSort.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "engine/test_support.h"
#include "host/host_error.h"

namespace tarnwell::dialog {
namespace {

using Strings = std::vector<std::string>;

Strings SortedUp(Strings v) {
  QuickSortAscending(v, 0, static_cast<int32_t>(v.size()) - 1);
  return v;
}

Strings SortedDown(Strings v) {
  QuickSortDescending(v, 0, static_cast<int32_t>(v.size()) - 1);
  return v;
}

// Upper case before lower case, a prefix first, duplicates kept.
TEST(QuickSort, SortsByCodeUnitBothWays) {
  EXPECT_EQ(SortedUp({"b", "B", "a"}), (Strings{"B", "a", "b"}));
  EXPECT_EQ(SortedDown({"b", "B", "a"}), (Strings{"b", "a", "B"}));
  EXPECT_EQ(SortedUp({"report.docx\t/d/report.docx", "Report.docx\t/d/Report.docx"}),
            (Strings{"Report.docx\t/d/Report.docx", "report.docx\t/d/report.docx"}));
  EXPECT_EQ(SortedUp({"Heading 10", "Heading 1", "Heading", "Heading 1"}),
            (Strings{"Heading", "Heading 1", "Heading 1", "Heading 10"}));
}

TEST(QuickSort, SortsOnlyTheGivenRangeLeavingEmptyAndSingleOnesAlone) {
  Strings v{"z", "d", "c", "b", "a"};
  QuickSortAscending(v, 1, 3);
  EXPECT_EQ(v, (Strings{"z", "b", "c", "d", "a"}));
  QuickSortDescending(v, 2, 4);
  EXPECT_EQ(v, (Strings{"z", "b", "d", "c", "a"}));
  Strings empty;
  QuickSortAscending(empty, 0, -1);
  EXPECT_TRUE(empty.empty());
  Strings one{"x"};
  QuickSortDescending(one, 0, 0);
  EXPECT_EQ(one, Strings{"x"});
}

TEST(QuickSort, RangeOutsideTheArrayRaisesSubscriptOutOfRange) {
  Strings v{"b", "a"};
  EXPECT_EQ(engine::testing::ErrorOf([&] { QuickSortAscending(v, 0, 2); }), host::kErrSubscriptOutOfRange);
  EXPECT_THROW(QuickSortDescending(v, -1, 1), host::HostError);
  EXPECT_EQ(v, (Strings{"b", "a"}));
}

TEST(QuickSort, AgreesWithAFullSortOnManyShuffles) {
  std::mt19937 rng(7);
  const Strings pool{"a", "B", "b", "Ab", "aB", "", " ", "Z", "é", "€", "𝄞", "\xef\xbf\xbd", "ab", "a"};
  for (int round = 0; round < 200; ++round) {
    Strings v;
    const int n = 1 + static_cast<int>(rng() % 30);
    for (int k = 0; k < n; ++k) v.push_back(pool[rng() % pool.size()]);
    Strings want = v;
    std::sort(want.begin(), want.end(), [](const std::string& x, const std::string& y) { return BinaryCompare(x, y) < 0; });
    EXPECT_EQ(SortedUp(v), want);
    std::reverse(want.begin(), want.end());
    EXPECT_EQ(SortedDown(v), want);
  }
}

TEST(BinaryCompare, ComparesByUtf16CodeUnit) {
  EXPECT_LT(BinaryCompare("A", "a"), 0);
  EXPECT_GT(BinaryCompare("ab", "a"), 0);
  EXPECT_EQ(BinaryCompare("Style", "Style"), 0);
  EXPECT_LT(BinaryCompare("z", "é"), 0);  // U+007A before U+00E9
  // U+1D11E is the pair D834 DD1E: after U+D7FF, before U+E000 and U+FFFD,
  // though its code point is larger than both.
  EXPECT_GT(BinaryCompare("𝄞", "\xed\x9f\xbf"), 0);
  EXPECT_LT(BinaryCompare("𝄞", "\xee\x80\x80"), 0);
  EXPECT_LT(BinaryCompare("𝄞", "\xef\xbf\xbd"), 0);
  // Two supplementary characters still compare by their pairs, down to the
  // low halves when the high ones agree.
  EXPECT_LT(BinaryCompare("𝄞", "😀"), 0);
  EXPECT_LT(BinaryCompare("😀", "😁"), 0);
}

TEST(BinaryCompare, IllFormedBytesStayDistinct) {
  EXPECT_NE(BinaryCompare("\xff", "\xfe"), 0);
  EXPECT_NE(BinaryCompare("a\x80", "a"), 0);
  EXPECT_NE(BinaryCompare("\xF0\x9F\x41\x80", "\xF0\x9F\xC1\x80"), 0);  // no third byte to go on
  EXPECT_EQ(BinaryCompare("\xc0\xaf", "\xc0\xaf"), 0);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

}  // namespace
}  // namespace tarnwell::dialog
