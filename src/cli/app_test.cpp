#include "cli/app.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/test_support.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

using testing::Result;

// The add-in writes its setting, registry values and scratch documents
// under the user's folders: the test's home keeps them.
using CliTest = testing::CommandTest;

TEST_F(CliTest, InspectListsTheExampleStylesWithTheirLinksUnderAHeaderForEachOfSeveralFiles) {
  auto made = Tarnwell({"example", dir_.string()});
  ASSERT_EQ(made.code, kExitDone) << made.err;
  auto r = Tarnwell({"inspect", (dir_ / "source.docx").string()});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_NE(r.out.find("Report Quote\tparagraph\tReport Body\tReport Quote Source\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Heading 2\tparagraph\tHeading 1\tReport Body\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Key Term Strong\tcharacter\tKey Term\t"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Report Grid\ttable\t"), std::string::npos) << r.out;
  // A paragraph style with no follow-on style follows itself.
  EXPECT_NE(r.out.find("Report Body\tparagraph\tNormal\tReport Body\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Name\tType"), std::string::npos) << "no header for a script";
  auto numeric = Tarnwell({"inspect", (dir_ / "source.docx").string(), "--numeric-types"});
  EXPECT_NE(numeric.out.find("Report Grid\t3\t"), std::string::npos) << numeric.out;
  EXPECT_NE(numeric.out.find("Key Term Strong\t2\tKey Term\t"), std::string::npos) << numeric.out;
  // Several files get a header each.
  r = Tarnwell({"inspect", (dir_ / "source.docx").string(), (dir_ / "target.docx").string()});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  auto first = r.out.find("==> " + (dir_ / "source.docx").string() + " <==\n");
  auto second = r.out.find("==> " + (dir_ / "target.docx").string() + " <==\n");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_NE(r.out.find("Letter Closing\tparagraph\tNormal\tLetter Closing\n", second), std::string::npos);
}

TEST_F(CliTest, UnreadableDocumentsExitWithThreeAndNameTheFile) {
  auto missing = (dir_ / "missing.docx").string();
  auto r = Tarnwell({"inspect", missing});
  EXPECT_EQ(r.code, kExitDocument);
  EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;

  auto text = dir_ / "notes.docx";
  std::ofstream(text) << "just some text, not a package";
  r = Tarnwell({"inspect", text.string()});
  EXPECT_EQ(r.code, kExitDocument);
  EXPECT_NE(r.err.find(text.string()), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());

  // A copy into it fails the same way and leaves it as it was.
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  r = Tarnwell({"--yes", "copy", (dir_ / "target.docx").string(), text.string(), "-s", "Letter Closing"});
  EXPECT_EQ(r.code, kExitDocument);
  EXPECT_NE(r.err.find(text.string()), std::string::npos) << r.err;
  EXPECT_EQ(posix::Slurp(text), "just some text, not a package");

  // The built binary's own exit code, as a user's script sees it.
  std::string cmd = std::string(TARNWELL_BINARY) + " inspect " + missing + " 2>/dev/null";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitDocument);
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndSayWhatWasMeant) {
  EXPECT_EQ(Tarnwell({"inspect"}).code, kExitUsage);
  EXPECT_EQ(Tarnwell({"--word-version", "95", "inspect", "x.docx"}).code, kExitUsage);
  EXPECT_EQ(Tarnwell({"copy", "a.docx", "b.docx", "-s", "X", "--method", "quick"}).code, kExitUsage);
  auto unknown = Tarnwell({"--yes", "cpy", "a.docx"});
  EXPECT_EQ(unknown.code, kExitUsage);
  EXPECT_NE(unknown.err.find("no command 'cpy'; did you mean 'copy'?"), std::string::npos) << unknown.err;
  auto far = Tarnwell({"frobnicate"});
  EXPECT_EQ(far.code, kExitUsage);
  EXPECT_EQ(far.err.find("did you mean"), std::string::npos) << far.err;
  // Alone, the command says what there is to run.
  const char* alone[] = {"tarnwell"};
  std::ostringstream out, err;
  std::istringstream in;
  EXPECT_EQ(cli::Run(1, alone, out, err, in, false), kExitUsage);
  for (const char* command : {"inspect", "docs", "styles", "copy", "example"})
    EXPECT_NE(err.str().find("\n  " + std::string(command) + " "), std::string::npos) << err.str();

  auto help = Tarnwell({"--help"});
  EXPECT_EQ(help.code, kExitDone);
  EXPECT_NE(help.out.find("3  a document could not be read or written"), std::string::npos);
  // A command's help shows the options of the whole command and examples.
  auto copy_help = Tarnwell({"copy", "--help"});
  EXPECT_EQ(copy_help.code, kExitDone);
  for (const char* part :
       {"Usage: tarnwell [OPTIONS] copy SOURCE TARGET", "Global options", "--yes", "--method", "Examples:\n"})
    EXPECT_NE(copy_help.out.find(part), std::string::npos) << part << "\n" << copy_help.out;
}

TEST_F(CliTest, MissingFilesTheUserNamesAreErrors) {
  auto normal = (dir_ / "no-such-normal.dotx").string();
  std::string normal_arg = "--normal=" + normal;
  const char* args[] = {"tarnwell", normal_arg.c_str(), "docs"};
  std::ostringstream out, err;
  std::istringstream in;
  EXPECT_EQ(cli::Run(3, args, out, err, in, false), kExitDocument);
  EXPECT_NE(err.str().find(normal), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(normal)) << "only Word's own Normal template is made";

  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  EXPECT_EQ(Tarnwell({"example", dir_.string()}).code, kExitRefused) << "examples already there";
  EXPECT_EQ(Tarnwell({"example", "--force", dir_.string()}).code, kExitDone);
  auto into_file = Tarnwell({"example", (dir_ / "source.docx").string()});
  EXPECT_EQ(into_file.code, kExitDocument);
  EXPECT_NE(into_file.err.find("cannot write into " + (dir_ / "source.docx").string()), std::string::npos)
      << into_file.err;
}

TEST_F(CliTest, DocsPrintsTheDialogsDocumentListInItsOrder) {
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  auto r = Tarnwell({"docs", (dir_ / "target.docx").string(), (dir_ / "source.docx").string()});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_EQ(r.out, "Normal template\tNormal template\n"
                   "source.docx\t" + (dir_ / "source.docx").string() + "\n"
                   "target.docx\t" + (dir_ / "target.docx").string() + "\n");
  // The connection left what Word leaves: the setting and the cache sizes.
  EXPECT_TRUE(fs::exists(dir_ / "home/.config/tarnwell/settings.ini"));
  EXPECT_TRUE(fs::exists(dir_ / "home/.config/tarnwell/registry/HKCU/Software/Microsoft/Office/11.0/Word/Options"));
}

TEST_F(CliTest, StylesFollowTheChosenType) {
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  auto source = (dir_ / "source.docx").string();
  auto paragraph = Tarnwell({"styles", source});
  ASSERT_EQ(paragraph.code, kExitDone) << paragraph.err;
  EXPECT_NE(paragraph.out.find("Report Quote Source\n"), std::string::npos);
  EXPECT_EQ(paragraph.out.find("Key Term"), std::string::npos);

  auto character = Tarnwell({"styles", "--type", "Character", source});
  EXPECT_EQ(character.out, "Default Paragraph Font\nKey Term\nKey Term Strong\n");

  auto table = Tarnwell({"styles", "--type", "Table", source});
  EXPECT_EQ(table.out, "Report Grid\n") << "Table Normal is never listed";
  EXPECT_NE(table.err.find("A word about table styles...: "), std::string::npos);

  auto list = Tarnwell({"styles", "--type", "List", source});
  EXPECT_EQ(list.code, kExitDone);
  EXPECT_EQ(list.out, "") << "No List is never listed";

  // Word 2007 offers only character and paragraph styles.
  EXPECT_EQ(Tarnwell({"--word-version", "07", "styles", "--type", "Table", source}).code, kExitUsage);
  auto word07 = Tarnwell({"--word-version", "07", "styles", "--type", "List", (dir_ / "target.docx").string()});
  EXPECT_EQ(word07.code, kExitUsage);
}

TEST_F(CliTest, StylesFromTheNormalTemplate) {
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  auto r = Tarnwell({"docs", (dir_ / "target.docx").string()});
  ASSERT_EQ(r.code, kExitDone);
  auto normal = Tarnwell({"styles", "--from-normal"});
  ASSERT_EQ(normal.code, kExitDone) << normal.err;
  EXPECT_EQ(normal.out, "Normal\n");
  // Word started without a file shows a blank document.
  auto blank = Tarnwell({"docs"});
  EXPECT_EQ(blank.out, "Document1\tDocument1\nNormal template\tNormal template\n");
  EXPECT_EQ(Tarnwell({"styles"}).code, kExitUsage);
}

TEST_F(CliTest, DocsOpensEveryCorpusDocument) {
  fs::path corpus = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus << "; skipped";
  int documents = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".docx") continue;
    ++documents;
    auto d = Tarnwell({"docs", entry.path().string()});
    auto full = fs::absolute(entry.path()).lexically_normal().string();  // as Word names it
    EXPECT_NE(d.out.find("\t" + full + "\n"), std::string::npos) << full << ": " << d.out << d.err;
  }
  EXPECT_GT(documents, 0);
}

}  // namespace
}  // namespace tarnwell::cli
