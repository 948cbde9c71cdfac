#include "support/modSaveAsOpenDialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fakes.h"

namespace tarnwell::support {
namespace {

using namespace std::string_literals;

TEST(ShowFileDialog, FilterItemsEndInNulsDefaultsMakeAnOpenDialogAndEveryArgumentPasses) {
  EXPECT_EQ(fncAddFilterItem("", "All files (*.*)"), "All files (*.*)\0*.*\0"s);
  const std::string two = fncAddFilterItem(fncAddFilterItem("", "Documents (*.docx)", "*.docx"), "All files (*.*)");
  EXPECT_EQ(two, "Documents (*.docx)\0*.docx\0All files (*.*)\0*.*\0"s);
  // And back: a returned buffer is cut at its first NUL only.
  EXPECT_EQ(fncTrimAtNul("C:\\a.doc\0\0junk\0"s), "C:\\a.doc");
  EXPECT_EQ(fncTrimAtNul("no nul"), "no nul");
  EXPECT_EQ(fncTrimAtNul("\0tail"s), "");

  platform::FakeUi ui;
  ui.file_answers.push_back("/docs/a.doc");
  EXPECT_EQ(fncShowFileDialog(ui), "/docs/a.doc");
  ASSERT_EQ(ui.file_requests.size(), 1u);
  auto r = ui.file_requests[0];
  EXPECT_TRUE(r.open);
  EXPECT_EQ(r.flags, 0);
  EXPECT_EQ(r.filter_index, 1);
  EXPECT_EQ(r.initial_dir, std::filesystem::current_path().string());
  EXPECT_EQ(r.filter, "");
  EXPECT_EQ(r.file_name, "");

  // Every argument passed, and the flags returned.
  ui.file_answers.push_back("/docs/b.dot");
  int32_t flags = 3;
  const std::string filter = fncAddFilterItem("", "Templates (*.dot)", "*.dot");
  EXPECT_EQ(fncShowFileDialog(ui, &flags, "/docs/", filter, 2, "dot", "Proposed", "Title", 77, false), "/docs/b.dot");
  r = ui.file_requests.at(1);
  EXPECT_FALSE(r.open);
  EXPECT_EQ(r.flags, 3);
  EXPECT_EQ(r.initial_dir, "/docs/");
  EXPECT_EQ(r.filter, filter);
  EXPECT_EQ(r.filter_index, 2);
  EXPECT_EQ(r.default_ext, "dot");
  EXPECT_EQ(r.file_name, "Proposed");
  EXPECT_EQ(r.title, "Title");
  EXPECT_EQ(r.owner, 77u);
  EXPECT_EQ(flags, 3);
}

// "文" takes three bytes and one UTF-16 code unit; "𝄞" four bytes and two.
std::string Times(const std::string& s, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

TEST(ShowFileDialog, PathsLongerThanTheBufferGiveEmptyAndAProposedNameIsCutBetweenCharacters) {
  const std::pair<std::string, bool> cases[] = {
      {"/" + std::string(254, 'x'), true},
      {"/" + std::string(255, 'x'), false},
      {"/" + Times("\xE6\x96\x87", 254), true},  // 763 bytes, 255 characters
      {"/" + Times("\xE6\x96\x87", 255), false},
      {"/" + Times("\xF0\x9D\x84\x9E", 127), true},  // 255 code units
      {"/" + Times("\xF0\x9D\x84\x9E", 128), false},
  };
  for (const auto& [path, fits] : cases) {
    platform::FakeUi ui;
    ui.file_answers.push_back(path);
    EXPECT_EQ(fncShowFileDialog(ui), fits ? path : "") << path.size();
  }
  platform::FakeUi ui;
  EXPECT_EQ(fncShowFileDialog(ui), "");  // no answer: cancelled

  const std::pair<std::string, std::string> proposals[] = {
      {std::string(300, 'n'), std::string(255, 'n')},
      {Times("\xE6\x96\x87", 300), Times("\xE6\x96\x87", 255)},
      {"a" + Times("\xF0\x9D\x84\x9E", 200), "a" + Times("\xF0\x9D\x84\x9E", 127)},
      {Times("\xF0\x9D\x84\x9E", 200), Times("\xF0\x9D\x84\x9E", 127)},  // a pair is never split
  };
  for (const auto& [proposed, shown] : proposals) {
    platform::FakeUi ui;
    fncShowFileDialog(ui, nullptr, std::nullopt, "", 1, "", proposed);
    EXPECT_EQ(ui.file_requests.at(0).file_name, shown) << proposed.size();
  }
}

}  // namespace
}  // namespace tarnwell::support
