#include "ooxml/package.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "ooxml/xml.h"

// The largest single allocation since the last reset, so that a test can
// tell that a hostile archive was refused before it filled memory.
namespace {
std::atomic<size_t> g_largest_allocation{0};
}  // namespace

// The compiler cannot tell that these pair with each other.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
__attribute__((noinline)) void* operator new(size_t size) {
  size_t seen = g_largest_allocation.load(std::memory_order_relaxed);
  while (size > seen && !g_largest_allocation.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace tarnwell::ooxml {
namespace {

namespace fs = std::filesystem;
using host::HostError;

constexpr const char* kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";

std::string RootRels(const std::string& target) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
         "metadata/core-properties\" Target=\"docProps/core.xml\"/>"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"" +
         target + "\"/></Relationships>";
}

constexpr const char* kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:body><w:p><w:r><w:t xml:space=\"preserve\"> </w:t></w:r></w:p></w:body></w:document>";

constexpr const char* kDocumentRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId9\" Type=\"http://example.com/relationships/hyperlink\" Target=\"https://x.test/\" "
    "TargetMode=\"External\"/>"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
    "Target=\"../media/pic.bin\"/></Relationships>";

// Markup no part of the system models, which must pass through untouched.
constexpr const char* kStylesWithUnknowns =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:w99=\"urn:future\" w99:flavour=\"strange\"><w99:gadget w99:knob=\"11\"/>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style></w:styles>";

std::string AllByteValues() {
  std::string s;
  for (int i = 0; i < 256 * 4; ++i) s += static_cast<char>(i & 0xFF);
  return s;
}

Package SamplePackage() {
  Package pkg = Package::Empty();
  pkg.Set("_rels/.rels", RootRels("word/document.xml"));
  pkg.Set("word/document.xml", kDocument);
  pkg.Set("word/_rels/document.xml.rels", kDocumentRels);
  pkg.Set("word/styles.xml", kStylesWithUnknowns);
  pkg.Set("custom/unknown.bin", AllByteValues());
  pkg.Set("[Content_Types].xml", kContentTypes);
  return pkg;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// An archive written with libzip directly, for names and layouts Package
// would refuse to write.
struct Entry {
  std::string name;
  std::string bytes;
  bool store = false;
  zip_uint32_t level = 0;  // libzip's default, the best
};

std::string MakeZip(const std::vector<Entry>& entries) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_source_keep(buffer);
  zip_t* za = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  EXPECT_NE(za, nullptr);
  for (const auto& e : entries) {
    zip_source_t* s = zip_source_buffer(za, e.bytes.data(), e.bytes.size(), 0);
    zip_int64_t i = zip_file_add(za, e.name.c_str(), s, ZIP_FL_ENC_UTF_8);
    EXPECT_GE(i, 0) << e.name << ": " << zip_strerror(za);
    zip_set_file_compression(za, static_cast<zip_uint64_t>(i), e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, e.level);
  }
  EXPECT_EQ(zip_close(za), 0);
  zip_source_open(buffer);
  std::string out;
  char chunk[65536];
  for (zip_int64_t n; (n = zip_source_read(buffer, chunk, sizeof chunk)) > 0;)
    out.append(chunk, static_cast<size_t>(n));
  zip_source_close(buffer);
  zip_source_free(buffer);
  return out;
}

std::vector<Entry> MinimalEntries() {
  return {{"[Content_Types].xml", kContentTypes},
          {"_rels/.rels", RootRels("word/document.xml")},
          {"word/document.xml", kDocument}};
}

// Replaces every occurrence of from (names stand in the local header and
// the central directory) with to, of the same length.
std::string Patch(std::string zip, const std::string& from, const std::string& to) {
  EXPECT_EQ(from.size(), to.size());
  size_t hits = 0;
  for (size_t at = zip.find(from); at != std::string::npos; at = zip.find(from, at + 1)) {
    zip.replace(at, to.size(), to);
    ++hits;
  }
  EXPECT_GT(hits, 0u) << from;
  return zip;
}

void PutLe32(std::string& zip, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Makes every header of the archive declare size as the inflated size of
// each entry: the lie a zip bomb tells.
std::string LieAboutSizes(std::string zip, uint32_t size) {
  for (size_t at = zip.find("PK\x03\x04"); at != std::string::npos; at = zip.find("PK\x03\x04", at + 4)) {
    PutLe32(zip, at + 22, size);
  }
  for (size_t at = zip.find("PK\x01\x02"); at != std::string::npos; at = zip.find("PK\x01\x02", at + 4)) {
    PutLe32(zip, at + 24, size);
  }
  return zip;
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tw_ooxml_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) {
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  HostError OpenError(const std::string& bytes, const std::string& name = "doc.docx", const Limits& limits = {}) {
    std::string path = Path(name);
    WriteFile(path, bytes);
    return OpenErrorAt(path, limits);
  }
  static HostError OpenErrorAt(const std::string& path, const Limits& limits = {}) {
    try {
      Package::Open(path, limits);
    } catch (const HostError& e) {
      EXPECT_NE(e.description().find(path), std::string::npos) << "the message names the file: " << e.description();
      return e;
    }
    ADD_FAILURE() << "opened " << path;
    return HostError(0, "");
  }
  static HostError SaveError(const Package& pkg, const std::string& path) {
    try {
      pkg.Save(path);
    } catch (const HostError& e) {
      EXPECT_NE(e.description().find(path), std::string::npos) << "the message names the file: " << e.description();
      return e;
    }
    ADD_FAILURE() << "saved " << path;
    return HostError(0, "");
  }

  fs::path dir_;
};

bool IsRoot() { return ::geteuid() == 0; }

TEST_F(PackageTest, EveryPartSurvivesSaveAndOpenInOrderAndEqualPackagesGiveEqualFiles) {
  Package pkg = SamplePackage();
  pkg.Save(Path("a.docx"));
  Package back = Package::Open(Path("a.docx"));
  std::vector<std::string> expected = {"[Content_Types].xml",          "_rels/.rels",     "word/document.xml",
                                       "word/_rels/document.xml.rels", "word/styles.xml", "custom/unknown.bin"};
  EXPECT_EQ(back.Names(), expected) << "[Content_Types].xml is written first, the rest in order";
  for (const auto& name : pkg.Names()) EXPECT_EQ(back.Get(name), pkg.Get(name)) << name;
  EXPECT_EQ(back.Get("custom/unknown.bin"), AllByteValues());
  EXPECT_EQ(back.Get("word/styles.xml"), kStylesWithUnknowns);

  pkg.Save(Path("b.docx"));
  back.Save(Path("c.docx"));
  EXPECT_EQ(ReadFile(Path("a.docx")), ReadFile(Path("b.docx")));
  EXPECT_EQ(ReadFile(Path("a.docx")), ReadFile(Path("c.docx")));
  // Later saves reuse what an earlier one deflated, to the same file; a changed part is deflated anew.
  pkg.Set("word/styles.xml", kStylesWithUnknowns);
  pkg.Save(Path("d.docx"));
  EXPECT_EQ(ReadFile(Path("a.docx")), ReadFile(Path("d.docx")));
  Package fresh = SamplePackage();
  for (Package* p : {&pkg, &fresh}) p->Set("word/styles.xml", kStylesWithUnknowns + std::string("<!---->"));
  pkg.Save(Path("e.docx"));
  fresh.Save(Path("f.docx"));
  EXPECT_EQ(ReadFile(Path("e.docx")), ReadFile(Path("f.docx")));

  // Entry times are fixed rather than the clock's.
  std::tm tm{};
  tm.tm_year = 80;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  const time_t fixed = std::mktime(&tm);
  int error = 0;
  zip_t* za = zip_open(Path("a.docx").c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(za, nullptr);
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st), 0);
    EXPECT_EQ(st.mtime, fixed) << st.name;
  }
  zip_discard(za);

  std::vector<Entry> entries = {{"word/document.xml", kDocument},
                                {"zeta.xml", "<z/>"},
                                {"_rels/.rels", RootRels("word/document.xml")},
                                {"alpha.xml", "<a/>"},
                                {"[Content_Types].xml", kContentTypes}};
  WriteFile(Path("in.docx"), MakeZip(entries));
  Package opened = Package::Open(Path("in.docx"));
  EXPECT_EQ(opened.Names(), (std::vector<std::string>{"word/document.xml", "zeta.xml", "_rels/.rels", "alpha.xml",
                                                   "[Content_Types].xml"}));
  opened.Set("new/b.xml", "<b/>");
  opened.Set("zeta.xml", "<z2/>");
  opened.Remove("alpha.xml");
  opened.Remove("not/there.xml");
  opened.Save(Path("out.docx"));
  EXPECT_EQ(
      Package::Open(Path("out.docx")).Names(),
      (std::vector<std::string>{"[Content_Types].xml", "word/document.xml", "zeta.xml", "_rels/.rels", "new/b.xml"}));
}

// Entry data as the archive holds it, compressed or not, and its method.
std::pair<std::string, int32_t> RawEntry(const std::string& zip_path, const char* name) {
  int error = 0;
  zip_t* za = zip_open(zip_path.c_str(), ZIP_RDONLY, &error);
  EXPECT_NE(za, nullptr);
  zip_stat_t st;
  EXPECT_EQ(zip_stat(za, name, 0, &st), 0) << name;
  zip_file_t* f = zip_fopen(za, name, ZIP_FL_COMPRESSED);
  std::string data(st.comp_size, '\0');
  EXPECT_EQ(zip_fread(f, data.data(), data.size()), static_cast<zip_int64_t>(data.size()));
  zip_fclose(f);
  zip_discard(za);
  return {data, st.comp_method};
}

TEST_F(PackageTest, UntouchedPartsKeepTheirDataAnyExtensionOpensAndPartsAreFoundResolvedAndNamedSafely) {
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "<w:p w:rsidR=\"" + std::to_string(i * 7919 % 10007) + "\"/>";
  std::vector<Entry> entries = MinimalEntries();
  entries.push_back({"word/media/a.png", std::string(5000, 'x'), true});
  entries.push_back({"word/media/b.png", std::string(5000, 'y'), true});
  entries.push_back({"word/fast.xml", text, false, 1});
  entries.push_back({"word/changed.xml", text, false, 1});
  entries.push_back({"word/back.xml", text, false, 1});
  WriteFile(Path("in.docx"), MakeZip(entries));
  Package pkg = Package::Open(Path("in.docx"));
  pkg.Set("word/media/b.png", std::string(5000, 'z'));
  pkg.Set("word/fast.xml", text);  // the same bytes again
  pkg.Set("word/changed.xml", text + "<w:p/>");
  pkg.Set("word/back.xml", text + "<w:p/>");
  pkg.Save(Path("out.docx"));
  pkg.Set("word/back.xml", text);  // changed back after a save
  pkg.Save(Path("out.docx"));

  EXPECT_EQ(RawEntry(Path("out.docx"), "word/media/a.png").second, ZIP_CM_STORE);
  EXPECT_EQ(RawEntry(Path("out.docx"), "word/media/b.png").second, ZIP_CM_DEFLATE);
  for (const char* kept : {"word/fast.xml", "word/back.xml"}) {
    EXPECT_EQ(RawEntry(Path("out.docx"), kept), RawEntry(Path("in.docx"), kept)) << kept << ": copied, not deflated again";
  }
  EXPECT_NE(RawEntry(Path("out.docx"), "word/changed.xml").first, RawEntry(Path("in.docx"), "word/changed.xml").first)
      << "a changed part is deflated anew";
  Package back = Package::Open(Path("out.docx"));
  EXPECT_EQ(back.Get("word/fast.xml"), text);
  EXPECT_EQ(back.Get("word/changed.xml"), text + "<w:p/>");

  // Whatever the extension; a folder entry is no part.
  std::vector<Entry> with_folder = MinimalEntries();
  with_folder.insert(with_folder.begin(), {"word/", ""});
  std::string zip = MakeZip(with_folder);
  for (const char* name : {"a.docx", "a.dotx", "a.docm", "a.dotm", "a.doc", "a.dot", "no-extension"}) {
    WriteFile(Path(name), zip);
    Package pkg = Package::Open(Path(name));
    EXPECT_EQ(pkg.Get("word/document.xml"), kDocument) << name;
    EXPECT_EQ(pkg.Names().size(), 3u) << name;
  }

  const std::pair<std::vector<Entry>, const char*> cases[] = {
      {{{"[Content_Types].xml", kContentTypes}, {"_rels/.rels", RootRels("/word/main.xml")}, {"word/main.xml", kDocument}},
       "word/main.xml"},
      {{{"[Content_Types].xml", kContentTypes}, {"word/document.xml", kDocument}}, "word/document.xml"},  // no rels
      {{{"_rels/.rels", RootRels("word/gone.xml")}, {"word/document.xml", kDocument}}, "word/document.xml"},
      {{{"_rels/.rels", "<Relationships"}, {"word/document.xml", kDocument}}, "word/document.xml"},  // does not parse
  };
  for (const auto& [with_folder, main] : cases) {
    WriteFile(Path("in.docx"), MakeZip(with_folder));
    EXPECT_EQ(Package::Open(Path("in.docx")).MainPart(), main);
  }
  EXPECT_EQ(Package::Empty().MainPart(), "word/document.xml");

  Package sample = SamplePackage();
  EXPECT_EQ(sample.Related("", "officeDocument"), "word/document.xml");
  EXPECT_EQ(sample.Related("word/document.xml", "styles"), "word/styles.xml");
  EXPECT_EQ(sample.Related("word/document.xml", "image"), "media/pic.bin");
  EXPECT_EQ(sample.Related("word/document.xml", "hyperlink"), "") << "external targets are not parts";
  EXPECT_EQ(sample.Related("word/document.xml", "numbering"), "");
  EXPECT_EQ(sample.Related("word/styles.xml", "styles"), "") << "a part without relationships";
  EXPECT_EQ(sample.Related("word/document.xml", "yles"), "") << "the type's last segment must match whole";

  struct Case {
    const char* source;
    const char* target;
    const char* part;
  };
  const Case targets[] = {
      {"", "word/document.xml", "word/document.xml"},
      {"", "/word/document.xml", "word/document.xml"},
      {"", "./word/./document.xml", "word/document.xml"},
      {"word/document.xml", "styles.xml", "word/styles.xml"},
      {"word/document.xml", "../customXml/item1.xml", "customXml/item1.xml"},
      {"word/glossary/document.xml", "../media/a.png", "word/media/a.png"},
      {"word/document.xml", "/word/theme/theme1.xml", "word/theme/theme1.xml"},
      {"word/document.xml", "../../escape.xml", ""},
      {"", "../escape.xml", ""},
  };
  for (const Case& c : targets)
    EXPECT_EQ(Package::ResolveTarget(c.source, c.target), c.part) << c.source << " -> " << c.target;
  EXPECT_EQ(Package::RelsPartFor("word/document.xml"), "word/_rels/document.xml.rels");
  EXPECT_EQ(Package::RelsPartFor(""), "_rels/.rels");
  EXPECT_EQ(Package::RelsPartFor("a.xml"), "_rels/a.xml.rels");

  for (const char* bad : {"", "/abs.xml", "../up.xml", "word/../../up.xml", "word/./a.xml", "word\\a.xml", "C:a.xml",
                          "c:/a.xml", "word//a.xml", "word/", "a\nb.xml"}) {
    Package parts = Package::Empty();
    try {
      parts.Set(bad, "x");
      ADD_FAILURE() << "accepted " << bad;
    } catch (const HostError& e) {
      EXPECT_EQ(e.number(), host::kErrBadFileName) << bad;
    }
    EXPECT_TRUE(parts.Names().empty());
  }
  for (const char* good : {"a.xml", "[Content_Types].xml", "word/media/image 1.png", "word/a:b.xml", "..a/b..xml"}) {
    EXPECT_TRUE(IsSafePartName(good)) << good;
  }

  Package parts = Package::Empty();
  parts.Set("word/document.xml", "1");
  EXPECT_FALSE(parts.Has("Word/Document.xml"));
  try {
    parts.Get("b.xml");
    FAIL() << "no error";
  } catch (const HostError& e) {
    EXPECT_EQ(e.number(), host::kErrNoSuchCollectionMember);
  }
  EXPECT_THROW(parts.Set("Word/Document.xml", "2"), HostError);
  parts.Set("word/document.xml", "3");
  EXPECT_EQ(parts.Get("word/document.xml"), "3");
  EXPECT_EQ(parts.Names().size(), 1u);
}


TEST_F(PackageTest, MissingUnreadableAndBrokenFilesAreRefused) {
  EXPECT_EQ(OpenErrorAt(Path("absent.docx")).number(), host::kErrFileNotFound);
  EXPECT_EQ(OpenErrorAt(Path("no-folder/absent.docx")).number(), host::kErrFileNotFound);
  fs::create_directory(Path("folder.docx"));
  EXPECT_EQ(OpenErrorAt(Path("folder.docx")).number(), host::kErrPathFileAccess);
  ASSERT_EQ(::mkfifo(Path("pipe.docx").c_str(), 0600), 0);
  EXPECT_EQ(OpenErrorAt(Path("pipe.docx")).number(), host::kErrPathFileAccess) << "a FIFO neither hangs nor opens";
  EXPECT_EQ(OpenErrorAt("").number(), host::kErrBadFileName);
  if (!IsRoot()) {
    WriteFile(Path("locked.docx"), MakeZip(MinimalEntries()));
    fs::permissions(Path("locked.docx"), fs::perms::none);
    EXPECT_EQ(OpenErrorAt(Path("locked.docx")).number(), host::kErrPermissionDenied);
  }

  const std::string zip = MakeZip(MinimalEntries());
  std::vector<Entry> twice = MinimalEntries(), stored = MinimalEntries();
  twice.push_back({"word/document.xmX", "<other/>"});
  stored.push_back({"word/stored.xml", "<abcdefghijklmnop/>", true});
  std::vector<Entry> cased = twice;
  cased.back().name = "word/Document.xml";  // part names ignore case
  const std::pair<const char*, std::string> cases[] = {
      {"a.docx", ""},
      {"a.docx", "Hello, this is plain text.\n"},
      {"a.docx", "PK"},
      {"a.docx", "PK\x03\x04 and then nothing that makes a zip"},
      {"a.doc", "{\\rtf1\\ansi Hello}"},
      {"a.docx", zip.substr(0, zip.size() / 2)},  // cut short, it loses its central directory
      {"a.docx", MakeZip({{"[Content_Types].xml", kContentTypes}, {"xl/workbook.xml", "<workbook/>"}})},  // no main part
      {"a.docx", MakeZip({{"_rels/.rels", RootRels("word/gone.xml")}, {"word/other.xml", "<x/>"}})},
      {"a.docx", Patch(MakeZip(twice), "document.xmX", "document.xml")},  // an entry twice
      {"a.docx", MakeZip(cased)},
      {"a.docx", Patch(MakeZip(stored), "<abcdefghijklmnop/>", "<abcdefghijklmnoq/>")},  // a checksum that does not match
  };
  for (const auto& [name, bytes] : cases) {
    EXPECT_EQ(OpenError(bytes, name).number(), host::kErrWordCannotOpenFile) << bytes.substr(0, 60);
  }
}

// A compound file's header and, far beyond the first sector, the name of
// one of its streams in UTF-16, as its directory holds it.
std::string CompoundFile(const std::string& stream) {
  std::string bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  bytes += std::string(100000, '\0');
  for (char c : stream) bytes += std::string{c, '\0'};
  bytes += std::string(512, '\0');
  return bytes;
}

// Refusals whose message names what was wrong: an entry name that leaves
// the package, a document type, or a compound file with advice (the advice
// is the behaviour here, so its words are checked).
TEST_F(PackageTest, RefusalsNameTheProblem) {
  struct Case {
    const char* file;
    std::string bytes;
    std::vector<std::string> mentions;
    const char* unmentioned = "";
  };
  std::vector<Case> cases;
  for (const char* bad :
       {"../evil.xml", "word/../../evil.xml", "/etc/evil.xml", "word\\evil.xml", "C:evil.xml", "c:/evil.xml"}) {
    std::vector<Entry> entries = MinimalEntries();
    entries.push_back({bad, "<x/>"});
    cases.push_back({"doc.docx", MakeZip(entries), {bad}});
  }
  std::vector<Entry> doctype = MinimalEntries();
  doctype[2].bytes.insert(doctype[2].bytes.find("<w:document"), "<!DOCTYPE w:document [<!ENTITY co \"Ours\">]>");
  cases.push_back({"doc.docx", MakeZip(doctype), {"word/document.xml", "DOCTYPE"}});
  for (const char* name : {"old.doc", "old.dot", "renamed.docx"}) {
    cases.push_back({name, CompoundFile("WordDocument"), {"Word 97-2003", ".docx"}});
  }
  cases.push_back({"secret.docx", CompoundFile("EncryptedPackage"), {"password"}});
  cases.push_back({"sheet.doc", CompoundFile("Workbook"), {}, "Word 97-2003"});
  for (const Case& c : cases) {
    HostError e = OpenError(c.bytes, c.file);
    EXPECT_EQ(e.number(), host::kErrWordCannotOpenFile) << e.description();
    for (const auto& m : c.mentions) EXPECT_NE(e.description().find(m), std::string::npos) << e.description();
    if (*c.unmentioned) {
      EXPECT_EQ(e.description().find(c.unmentioned), std::string::npos) << e.description();
    }
  }
}

std::string MakeBomb(size_t size) {
  std::vector<Entry> entries = MinimalEntries();
  entries.push_back({"word/bomb.bin", std::string(size, '\0')});
  return MakeZip(entries);
}

TEST_F(PackageTest, AZipBombAndPartTotalAndCountLimitsAreRefusedAndAnOverstatedSizeReservesNoMemory) {
  std::string bomb = MakeBomb(300ull << 20);
  EXPECT_LT(bomb.size(), 2u << 20) << "300 MiB of zeros packs small";
  g_largest_allocation = 0;
  EXPECT_EQ(OpenError(bomb).number(), host::kErrWordCannotOpenFile);
  EXPECT_LT(g_largest_allocation.load(), 1u << 20) << "refused on its declared size, before inflating";

  // One that understates its size is stopped at the limit.
  const Limits limits{.max_part_bytes = 1 << 20};
  std::string liar = LieAboutSizes(MakeBomb(32ull << 20), 1000);
  g_largest_allocation = 0;
  HostError e = OpenError(liar, "liar.docx", limits);
  EXPECT_EQ(e.number(), host::kErrWordCannotOpenFile);
  EXPECT_LE(g_largest_allocation.load(), limits.max_part_bytes + (64u << 10))
      << "nothing was allocated past the part limit";

  std::vector<Entry> entries = MinimalEntries();
  for (int i = 0; i < 40; ++i) entries.push_back({"p" + std::to_string(i) + ".xml", "<p/>"});
  std::string zip = LieAboutSizes(MakeZip(entries), 200u << 20);
  WriteFile(Path("big.docx"), zip);
  g_largest_allocation = 0;
  Package pkg = Package::Open(Path("big.docx"));
  EXPECT_EQ(pkg.Get("p7.xml"), "<p/>");
  for (const auto& name : pkg.Names()) EXPECT_LT(pkg.Get(name).capacity(), 64u << 10) << name;
  EXPECT_LE(g_largest_allocation.load(), (16u << 20) + 1) << "at most the reserve the reader allows itself";

  std::vector<Entry> two_parts = MinimalEntries();
  two_parts.push_back({"a.bin", std::string(40000, 'a')});
  two_parts.push_back({"b.bin", std::string(40000, 'b')});
  const std::string two_zip = MakeZip(two_parts);
  EXPECT_EQ(OpenError(two_zip, "c.docx", {.max_parts = 4}).number(), host::kErrWordCannotOpenFile);
  EXPECT_NO_THROW(Package::Open(Path("c.docx"), {.max_parts = 5}));
  EXPECT_NO_THROW(Package::Open(Path("c.docx"), {.max_part_bytes = 40000})) << "a part of exactly the limit is allowed";
  // The same limits hold when the headers understate the sizes.
  for (const std::string& bytes : {two_zip, LieAboutSizes(two_zip, 10)}) {
    EXPECT_EQ(OpenError(bytes, "a.docx", {.max_part_bytes = 39999}).number(), host::kErrWordCannotOpenFile);
    EXPECT_EQ(OpenError(bytes, "b.docx", {.max_total_bytes = 80000}).number(), host::kErrWordCannotOpenFile);
  }
}

TEST_F(PackageTest, SaveReplacesAnExistingFileKeepingItsPermissionsOrTheFileALinkNames) {
  SamplePackage().Save(Path("a.docx"));
  fs::permissions(Path("a.docx"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Package pkg = Package::Open(Path("a.docx"));
  pkg.Set("word/styles.xml", "<w:styles/>");
  pkg.Save(Path("a.docx"));
  EXPECT_EQ(Package::Open(Path("a.docx")).Get("word/styles.xml"), "<w:styles/>");
  EXPECT_EQ(fs::status(Path("a.docx")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"a.docx"}) << "no temporary file is left";

  // A long name leaves room for the temporary one.
  const std::string name = std::string(250, 'n') + ".docx";
  SamplePackage().Save(Path(name));
  SamplePackage().Save(Path(name));
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"a.docx", name}));

  fs::create_directory(Path("real"));
  SamplePackage().Save(Path("real/a.docx"));
  fs::create_symlink(Path("real/a.docx"), Path("link.docx"));
  pkg = Package::Open(Path("link.docx"));
  pkg.Set("custom/new.xml", "<n/>");
  pkg.Save(Path("link.docx"));
  EXPECT_TRUE(fs::is_symlink(Path("link.docx")));
  EXPECT_TRUE(Package::Open(Path("real/a.docx")).Has("custom/new.xml"));
  EXPECT_EQ(Listing(Path("real")), std::vector<std::string>{"a.docx"});
}

TEST_F(PackageTest, FailedSavesEvenHalfwayLeaveTheOldFileAndNoTemporaryFile) {
  EXPECT_EQ(SaveError(Package::Empty(), Path("a.docx")).number(), host::kErrCannotSaveFile) << "an empty package";
  EXPECT_FALSE(fs::exists(Path("a.docx")));
  SamplePackage().Save(Path("a.docx"));
  const std::string before = ReadFile(Path("a.docx"));
  Package changed = SamplePackage();
  changed.Set("word/styles.xml", "<changed/>");

  EXPECT_EQ(SaveError(changed, Path("no-such-folder/a.docx")).number(), host::kErrPathNotFound);
  EXPECT_FALSE(fs::exists(Path("no-such-folder")));

  fs::create_directory(Path("folder.docx"));
  EXPECT_EQ(SaveError(changed, Path("folder.docx")).number(), host::kErrPathFileAccess);
  EXPECT_TRUE(fs::is_directory(Path("folder.docx")));

  // Read-only is honoured even for a user the system would let write.
  fs::permissions(Path("a.docx"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(SaveError(changed, Path("a.docx")).number(), host::kErrPermissionDenied);
  EXPECT_EQ(ReadFile(Path("a.docx")), before);
  fs::permissions(Path("a.docx"), fs::perms::owner_write, fs::perm_options::add);

  if (!IsRoot()) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(SaveError(changed, Path("a.docx")).number(), host::kErrPermissionDenied);
    EXPECT_EQ(SaveError(changed, Path("new.docx")).number(), host::kErrPermissionDenied);
    fs::permissions(dir_, fs::perms::owner_all);
  }
  EXPECT_EQ(ReadFile(Path("a.docx")), before);
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"a.docx", "folder.docx"}));

  Package big = SamplePackage();
  std::mt19937 gen(7);
  std::string noise(200000, '\0');
  for (char& c : noise) c = static_cast<char>(gen());
  big.Set("word/media/noise.bin", noise);

  // A file size limit makes the write fail part way, as a full disk would.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 50000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int32_t number = 0;
  try {
    big.Save(Path("a.docx"));
  } catch (const HostError& e) {
    number = e.number();
    EXPECT_NE(e.description().find(Path("a.docx")), std::string::npos);
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(number, host::kErrDiskFull);
  EXPECT_EQ(ReadFile(Path("a.docx")), before);
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"a.docx", "folder.docx"}));
}



// What a plain parser sees, written back canonically: equal for two texts
// that differ only in how the same markup is spelt.
std::string Canonical(const std::string& bytes) {
  pugi::xml_document doc;
  pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  EXPECT_TRUE(r) << r.description();
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

// Every XML part of the corpus, loaded and saved untouched, keeps its
// markup, and nearly all keep their very bytes. (That the package keeps
// every part byte for byte the engine's corpus test checks, on its save.)
TEST_F(PackageTest, EveryCorpusXmlPartSurvivesLoadAndSave) {
  const fs::path corpus = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  int files = 0, xml_parts = 0, identical = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".docx") continue;
    ++files;
    const std::string source = entry.path().string();
    Package original = Package::Open(source);
    for (const auto& name : original.Names()) {
      if (!name.ends_with(".xml") && !name.ends_with(".rels")) continue;
      const std::string& bytes = original.Get(name);
      pugi::xml_document doc;
      LoadXml(doc, bytes, source, name);
      std::string saved = SaveXml(doc);
      ++xml_parts;
      if (saved == bytes) {
        ++identical;
      } else {
        EXPECT_EQ(Canonical(saved), Canonical(bytes)) << source << " " << name;
      }
    }
  }
  ASSERT_GT(files, 0) << "no documents under " << corpus;
  std::cout << "[ corpus   ] " << files << " documents; " << identical << " of " << xml_parts
            << " XML parts round-trip byte for byte through the XML layer\n";
  RecordProperty("xml_parts", xml_parts);
  RecordProperty("xml_parts_identical", identical);
  // The few that differ spell the same markup another way (<a /> for <a/>, &quot; in text).
  EXPECT_GE(identical * 100, xml_parts * 99);
}

TEST_F(PackageTest, LargePartsDeflatedInPiecesReadBackWholeAndSaveTheSameEveryTime) {
  std::string big;
  for (uint32_t i = 0; big.size() < (3u << 20) + 123; ++i) big += "<w:t>" + std::to_string(i * 2654435761u) + "</w:t>";
  WriteFile(Path("in.docx"), MakeZip(MinimalEntries()));
  for (const char* out : {"a.docx", "b.docx"}) {
    Package pkg = Package::Open(Path("in.docx"));
    pkg.Set("word/big.xml", big);
    pkg.Save(Path(out));
  }
  EXPECT_EQ(ReadFile(Path("a.docx")), ReadFile(Path("b.docx")));
  auto [data, method] = RawEntry(Path("a.docx"), "word/big.xml");
  EXPECT_EQ(method, ZIP_CM_DEFLATE);
  EXPECT_LT(data.size(), big.size() / 2);
  EXPECT_EQ(Package::Open(Path("a.docx")).Get("word/big.xml"), big);
}

}  // namespace
}  // namespace tarnwell::ooxml
