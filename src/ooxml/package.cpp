#include "ooxml/package.h"

#include <zip.h>
#include <zlib.h>

#include <csignal>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include <pugixml.hpp>

#include "host/host_error.h"
#include "ooxml/package_io.h"
#include "ooxml/xml.h"

namespace tarnwell::ooxml {

namespace io {

void FailOpen(int32_t number, const std::string& path, const std::string& problem) {
  throw host::HostError(number, "Cannot open \"" + path + "\": " + problem);
}

void FailSave(int32_t number, const std::string& path, const std::string& problem) {
  throw host::HostError(number, "Cannot save \"" + path + "\": " + problem);
}

void KillPoint(std::string_view event) {
  // TARNWELL_KILL_AT=EVENT:N; read once, as the tests set it per process.
  static const char* plan = std::getenv("TARNWELL_KILL_AT");
  if (!plan) return;
  std::string_view p(plan);
  auto colon = p.rfind(':');
  if (colon == std::string_view::npos || p.substr(0, colon) != event) return;
  static int reached = 0;
  if (++reached != std::atoi(plan + colon + 1)) return;
#ifdef SIGKILL
  std::raise(SIGKILL);
#endif
  std::_Exit(137);  // no unwinding, no clean-up: as a kill
}

}  // namespace io

namespace {

using host::HostError;
using io::FailOpen;
using io::FailSave;

constexpr const char* kContentTypes = "[Content_Types].xml";
constexpr const char* kDefaultMain = "word/document.xml";
// How much of an entry's declared size is reserved up front.
constexpr uint64_t kTrustedHint = 16u << 20;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

struct ZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct SourceFree {
  void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

std::string ZipMessage(int code) {
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  std::string text = zip_error_strerror(&e);
  zip_error_fini(&e);
  return text;
}

// Whether the file holds needle anywhere; read in chunks with an overlap so
// that a match across two chunks is found.
bool FileContains(io::InputFile& file, std::string_view needle) {
  std::string window;
  char chunk[64 * 1024];
  uint64_t at = 0;
  for (;;) {
    int64_t got = file.ReadAt(chunk, sizeof chunk, at);
    if (got <= 0) return false;
    at += got;
    window.append(chunk, static_cast<size_t>(got));
    if (window.find(needle) != std::string::npos) return true;
    window.erase(0, window.size() - std::min(window.size(), needle.size() - 1));
  }
}

std::string Utf16Le(std::string_view ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

// The first bytes tell an older Word file, a password-protected document
// (a compound file holding the encrypted package) or an RTF file saved
// under a Word extension from a package, so the user learns what to do.
void CheckSignature(io::InputFile& file, const std::string& path) {
  unsigned char head[8] = {};
  int64_t got = file.ReadAt(head, sizeof head, 0);
  if (got < 0) {
    FailOpen(host::kErrPathFileAccess, path, "the file cannot be read (" + io::InputFile::ReadProblem() + ").");
  }
  static constexpr unsigned char kCompoundFile[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (got == 8 && std::memcmp(head, kCompoundFile, 8) == 0) {
    if (FileContains(file, Utf16Le("EncryptedPackage"))) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "it is protected by a password. Open it in Word, remove the password and save it again first.");
    }
    if (FileContains(file, Utf16Le("WordDocument"))) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "it is a binary Word 97-2003 document, which is not supported. Open it in Word and save "
               "it as a .docx (or .dotx) document first.");
    }
    FailOpen(host::kErrWordCannotOpenFile, path,
             "it is an older binary Office file, not a Word document (.docx package).");
  }
  if (got >= 5 && std::memcmp(head, "{\\rtf", 5) == 0) {
    FailOpen(host::kErrWordCannotOpenFile, path,
             "it is an RTF document, which is not supported. Open it in Word and save it as a .docx "
             "(or .dotx) document first.");
  }
  if (got < 4 || head[0] != 'P' || head[1] != 'K') {
    FailOpen(host::kErrWordCannotOpenFile, path, "it is not a Word document (.docx package).");
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Reads one entry in chunks, so that a part inflating past its declared size
// is stopped at the limit instead of filling memory.
std::string ReadEntry(zip_t* za, zip_uint64_t index, const zip_stat_t& st, const std::string& path,
                      const Limits& limits, uint64_t& total) {
  const std::string name = st.name;
  auto too_big = [&](uint64_t size) {
    if (size > limits.max_part_bytes) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "part " + Quoted(name) + " inflates to more than " + std::to_string(limits.max_part_bytes) +
                   " bytes; the package is refused as a possible zip bomb.");
    }
    if (size > limits.max_total_bytes || total > limits.max_total_bytes - size) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "the parts inflate to more than " + std::to_string(limits.max_total_bytes) +
                   " bytes in all; the package is refused as a possible zip bomb.");
    }
  };
  if (st.valid & ZIP_STAT_SIZE) too_big(st.size);

  ZipFilePtr file(zip_fopen_index(za, index, 0));
  if (!file) {
    int code = zip_error_code_zip(zip_get_error(za));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP) {
      FailOpen(host::kErrWordCannotOpenFile, path, "part " + Quoted(name) + " is encrypted.");
    }
    if (code == ZIP_ER_COMPNOTSUPP) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "part " + Quoted(name) + " uses a compression method that is not supported.");
    }
    FailOpen(host::kErrWordCannotOpenFile, path,
             "part " + Quoted(name) + " cannot be read (" + ZipMessage(code) + ").");
  }

  // The declared size is a hint only: a header overstating it must not
  // make us hold memory the part never fills.
  std::string bytes;
  if (st.valid & ZIP_STAT_SIZE) bytes.reserve(static_cast<size_t>(std::min<uint64_t>(st.size, kTrustedHint)));
  char chunk[64 * 1024];
  for (;;) {
    zip_int64_t got = zip_fread(file.get(), chunk, sizeof chunk);
    if (got < 0) {
      int code = zip_error_code_zip(zip_file_get_error(file.get()));
      FailOpen(host::kErrWordCannotOpenFile, path, "part " + Quoted(name) + " is damaged (" + ZipMessage(code) + ").");
    }
    if (got == 0) break;
    uint64_t need = bytes.size() + static_cast<uint64_t>(got);
    too_big(need);
    // Grown by hand so that the buffer never outgrows the part limit, as
    // the string's own doubling would.
    if (need > bytes.capacity()) {
      bytes.reserve(static_cast<size_t>(
          std::min<uint64_t>(std::max<uint64_t>(need, 2 * bytes.capacity()), limits.max_part_bytes)));
    }
    bytes.append(chunk, static_cast<size_t>(got));
  }
  if (bytes.capacity() - bytes.size() > sizeof chunk) bytes.shrink_to_fit();
  total += bytes.size();
  return bytes;
}

time_t FixedEntryTime() {
  // libzip stores local time, so midnight 1 January 1980 is asked for in
  // local time: the earliest date a zip entry can hold, the same everywhere.
  std::tm tm{};
  tm.tm_year = 80;
  tm.tm_mon = 0;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// An entry's data as the archive holds it, still deflated. Its size is
// bounded by the file's, so no limit beyond that applies.
std::string ReadCompressed(zip_t* za, zip_uint64_t index, const zip_stat_t& st, const std::string& path) {
  ZipFilePtr file(zip_fopen_index(za, index, ZIP_FL_COMPRESSED));
  if (!file) {
    FailOpen(host::kErrWordCannotOpenFile, path,
             "part " + Quoted(st.name) + " cannot be read (" + zip_strerror(za) + ").");
  }
  std::string bytes;
  if (st.valid & ZIP_STAT_COMP_SIZE) bytes.reserve(static_cast<size_t>(std::min<uint64_t>(st.comp_size, kTrustedHint)));
  char chunk[64 * 1024];
  for (zip_int64_t got; (got = zip_fread(file.get(), chunk, sizeof chunk)) != 0;) {
    if (got < 0) FailOpen(host::kErrWordCannotOpenFile, path, "part " + Quoted(st.name) + " is damaged.");
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

// A libzip source handing over data that is deflated already, with the
// checksum and size of what it inflates to, so that libzip copies it as is.
struct DeflatedData {
  const std::string* compressed;
  uint64_t size;
  uint32_t crc;
  uint64_t at = 0;
};

zip_int64_t DeflatedSource(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* d = static_cast<DeflatedData*>(state);
  switch (cmd) {
    case ZIP_SOURCE_OPEN:
      d->at = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      uint64_t n = std::min<uint64_t>(len, d->compressed->size() - d->at);
      std::memcpy(data, d->compressed->data() + d->at, static_cast<size_t>(n));
      d->at += n;
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_STAT: {
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
      st->size = d->size;
      st->comp_size = d->compressed->size();
      st->comp_method = ZIP_CM_DEFLATE;
      st->crc = d->crc;
      st->encryption_method = ZIP_EM_NONE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return 2 * sizeof(int);  // reading from memory does not fail
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      return -1;
  }
}

[[noreturn]] void BuildFailed(zip_t* za, const std::string& what) {
  throw HostError(host::kErrCannotSaveFile, "The package could not be built: " + what + " (" + zip_strerror(za) + ").");
}

// Parts Word reads as XML, by the extension of their name.
bool IsXmlPartName(std::string_view name) {
  std::string lower = Lower(name);
  auto ends = [&](std::string_view ext) {
    return lower.size() >= ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
  };
  return ends(".xml") || ends(".rels");
}

}  // namespace

bool IsSafePartName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.back() == '/') return false;
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
    return false;
  }
  for (unsigned char c : name) {
    if (c == '\\' || c < 0x20 || c == 0x7F) return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view segment = name.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return true;
}

Package Package::Open(const std::string& path, const Limits& limits) {
  io::InputFile file = io::InputFile::Open(path);
  CheckSignature(file, path);

  int code = 0;
  ZipPtr za(file.OpenZip(&code));
  if (!za) {
    switch (code) {
      case ZIP_ER_NOZIP:
        FailOpen(host::kErrWordCannotOpenFile, path, "it is not a Word document (not a zip package).");
      case ZIP_ER_INCONS:
        FailOpen(host::kErrWordCannotOpenFile, path, "the zip package is damaged.");
      case ZIP_ER_MEMORY:
        FailOpen(host::kErrOutOfMemory, path, "out of memory.");
      default:
        FailOpen(host::kErrWordCannotOpenFile, path, "the zip package cannot be read (" + ZipMessage(code) + ").");
    }
  }

  zip_int64_t count = zip_get_num_entries(za.get(), 0);
  if (count < 0) FailOpen(host::kErrWordCannotOpenFile, path, "the zip package cannot be read.");
  if (static_cast<uint64_t>(count) > limits.max_parts) {
    FailOpen(host::kErrWordCannotOpenFile, path,
             "it holds " + std::to_string(count) + " entries, more than the " + std::to_string(limits.max_parts) +
                 " allowed; the package is refused as a possible zip bomb.");
  }

  Package pkg;
  std::set<std::string> folded;
  uint64_t total = 0;
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za.get(), i, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
      FailOpen(host::kErrWordCannotOpenFile, path, "entry " + std::to_string(i) + " cannot be read.");
    }
    std::string name = st.name;
    // Folder entries that some zip tools add are not parts.
    if (!name.empty() && name.back() == '/' && (!(st.valid & ZIP_STAT_SIZE) || st.size == 0) &&
        IsSafePartName(std::string_view(name).substr(0, name.size() - 1))) {
      continue;
    }
    if (!IsSafePartName(name)) {
      FailOpen(host::kErrWordCannotOpenFile, path,
               "entry " + Quoted(name) + " has a name no part may have (it could lead out of the package).");
    }
    // Part names are compared without regard to case.
    if (!folded.insert(Lower(name)).second) {
      FailOpen(host::kErrWordCannotOpenFile, path, "the package holds entry " + Quoted(name) + " twice.");
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
      FailOpen(host::kErrWordCannotOpenFile, path, "part " + Quoted(name) + " is encrypted.");
    }
    std::string bytes = ReadEntry(za.get(), i, st, path, limits, total);
    if (IsXmlPartName(name) && DeclaresDocumentType(bytes)) RefuseDocumentType(path, name);
    if ((st.valid & ZIP_STAT_COMP_METHOD) && (st.valid & ZIP_STAT_CRC)) {
      if (st.comp_method == ZIP_CM_STORE) {
        pkg.originals_[name] = Original{ZIP_CM_STORE, st.crc, {}};
      } else if (st.comp_method == ZIP_CM_DEFLATE) {
        pkg.originals_[name] = Original{ZIP_CM_DEFLATE, st.crc, ReadCompressed(za.get(), i, st, path)};
      }
    }
    pkg.order_.push_back(name);
    pkg.parts_.emplace(std::move(name), std::move(bytes));
  }

  std::string main = pkg.MainPart();
  if (!pkg.Has(main)) {
    FailOpen(host::kErrWordCannotOpenFile, path,
             "it is not a Word document: the package has no main document part (word/document.xml).");
  }
  return pkg;
}

bool Package::Has(const std::string& part) const { return parts_.count(part) != 0; }

const std::string& Package::Get(const std::string& part) const {
  auto it = parts_.find(part);
  if (it == parts_.end()) {
    throw HostError(host::kErrNoSuchCollectionMember, "The package has no part " + Quoted(part) + ".");
  }
  return it->second;
}

void Package::Set(const std::string& part, std::string bytes) {
  if (!IsSafePartName(part)) {
    throw HostError(host::kErrBadFileName, "The part name " + Quoted(part) + " cannot stand in a package.");
  }
  auto it = parts_.find(part);
  if (it == parts_.end()) {
    std::string folded = Lower(part);
    for (const auto& name : order_) {
      if (Lower(name) == folded) {
        throw HostError(host::kErrBadFileName,
                        "The part name " + Quoted(part) + " differs only in case from " + Quoted(name) + ".");
      }
    }
    order_.push_back(part);
    parts_.emplace(part, std::move(bytes));
    modified_ = true;
  } else {
    // The same bytes again: the archive's data for them still holds.
    if (it->second == bytes) return;
    // A part changed and then changed back (a bookmark added and deleted)
    // takes its archive data back rather than being deflated again.
    std::optional<Original> data;
    if (auto o = originals_.find(part); o != originals_.end()) {
      data = std::move(o->second);
    } else if (auto d = deflated_.find(part); d != deflated_.end()) {
      data = std::move(d->second);
    }
    originals_.erase(part);
    deflated_.erase(part);
    std::optional<Original> restored;
    if (auto e = earlier_.find(part); e != earlier_.end() && e->second.bytes == bytes) {
      restored = std::move(e->second.data);
    }
    if (data) {
      earlier_[part] = Earlier{std::move(it->second), std::move(*data)};
    } else {
      earlier_.erase(part);
    }
    it->second = std::move(bytes);
    if (restored) originals_[part] = std::move(*restored);
    modified_ = true;
    return;
  }
  originals_.erase(part);
}

void Package::Remove(const std::string& part) {
  if (parts_.erase(part) == 0) return;
  modified_ = true;
  earlier_.erase(part);
  order_.erase(std::find(order_.begin(), order_.end(), part));
  originals_.erase(part);
  deflated_.erase(part);
}

std::vector<std::string> Package::Names() const { return order_; }

std::string Package::MainPart() const {
  std::string target = Related("", "officeDocument");
  if (!target.empty() && Has(target)) return target;
  return kDefaultMain;
}

std::string Package::RelsPartFor(const std::string& part) {
  size_t slash = part.rfind('/');
  std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + file + ".rels";
}

std::string Package::ResolveTarget(const std::string& source, std::string_view target) {
  std::vector<std::string> segments;
  if (!target.empty() && target.front() == '/') {
    target.remove_prefix(1);
  } else {
    size_t slash = source.rfind('/');
    if (slash != std::string::npos) {
      std::string_view folder(source.data(), slash);
      size_t start = 0;
      while (start <= folder.size()) {
        size_t end = std::min(folder.find('/', start), folder.size());
        if (end > start) segments.emplace_back(folder.substr(start, end - start));
        start = end + 1;
      }
    }
  }
  size_t start = 0;
  while (start <= target.size()) {
    size_t end = std::min(target.find('/', start), target.size());
    std::string_view seg = target.substr(start, end - start);
    if (seg == "..") {
      if (segments.empty()) return "";
      segments.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segments.emplace_back(seg);
    }
    start = end + 1;
  }
  std::string out;
  for (const auto& seg : segments) {
    if (!out.empty()) out += '/';
    out += seg;
  }
  return out;
}

std::string Package::Related(const std::string& source, std::string_view type) const {
  auto rels = parts_.find(RelsPartFor(source));
  if (rels == parts_.end()) return "";
  pugi::xml_document doc;
  if (!doc.load_buffer(rels->second.data(), rels->second.size())) return "";
  std::string tail = "/" + std::string(type);
  for (pugi::xml_node rel : doc.document_element().children()) {
    std::string_view local = rel.name();
    if (size_t colon = local.find(':'); colon != std::string_view::npos) local.remove_prefix(colon + 1);
    if (local != "Relationship") continue;
    if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
    if (!EndsWith(rel.attribute("Type").value(), tail)) continue;
    return ResolveTarget(source, rel.attribute("Target").value());
  }
  return "";
}

namespace {

// Parts at least this large are deflated in pieces of this size on every
// core; the pieces join into one stream, and since they do not depend on
// how many cores there are, equal packages still give equal files.
constexpr size_t kPiece = 1u << 20;

// Raw deflate of one piece at the normal level, primed with the 32 KB
// before it; all but the last end on a byte boundary so they join.
bool DeflatePiece(std::string_view all, size_t from, std::string& out) {
  const size_t to = std::min(all.size(), from + kPiece);
  const bool last = to == all.size();
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  bool ok = true;
  if (from > 0) {
    const size_t window = std::min<size_t>(from, 32768);
    ok = deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(all.data() + from - window),
                              static_cast<uInt>(window)) == Z_OK;
  }
  out.resize(deflateBound(&z, static_cast<uLong>(to - from)) + 16);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(all.data() + from));
  z.avail_in = static_cast<uInt>(to - from);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int done = ok ? deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH) : Z_STREAM_ERROR;
  ok = ok && (last ? done == Z_STREAM_END : done == Z_OK) && z.avail_in == 0;
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return ok;
}

// The deflated data and CRC of a large part; false to leave it to libzip.
bool DeflateLarge(const std::string& bytes, std::string& compressed, uint32_t& crc) {
  const size_t pieces = (bytes.size() + kPiece - 1) / kPiece;
  std::vector<std::string> out(pieces);
  std::vector<char> ok(pieces, 0);
  const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, std::min<size_t>(pieces, 8));
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next++) < pieces;) ok[i] = DeflatePiece(bytes, i * kPiece, out[i]);
  };
  std::vector<std::thread> threads;
  try {
    for (size_t w = 1; w < workers; ++w) threads.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads: the ones there share the rest.
  }
  work();
  for (auto& t : threads) t.join();
  if (std::find(ok.begin(), ok.end(), 0) != ok.end()) return false;
  compressed.clear();
  for (const auto& piece : out) compressed += piece;
  crc = static_cast<uint32_t>(crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
  return true;
}

}  // namespace

std::string Package::Serialize() const {
  if (parts_.empty()) throw HostError(host::kErrCannotSaveFile, "The package has no parts.");
  zip_error_t error;
  zip_error_init(&error);
  SourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!buffer) throw HostError(host::kErrOutOfMemory, "The package could not be built: out of memory.");
  zip_source_keep(buffer.get());  // the archive releases it on close; we read it after
  ZipPtr za(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
  if (!za) {
    zip_source_free(buffer.get());  // undo the keep
    throw HostError(host::kErrCannotSaveFile,
                    std::string("The package could not be built (") + zip_error_strerror(&error) + ").");
  }
  auto fail = [&za](const std::string& what) { BuildFailed(za.get(), what); };

  std::vector<const std::string*> names;
  if (Has(kContentTypes)) names.push_back(&*std::find(order_.begin(), order_.end(), kContentTypes));
  for (const auto& name : order_) {
    if (name != kContentTypes) names.push_back(&name);
  }
  const time_t when = FixedEntryTime();
  std::vector<std::unique_ptr<DeflatedData>> deflated;  // read by libzip until the archive is closed
  std::vector<const std::string*> fresh;                // deflated by this save
  for (const std::string* name : names) {
    const std::string& bytes = parts_.at(*name);
    const Original* original = nullptr;
    if (auto it = originals_.find(*name); it != originals_.end()) {
      original = &it->second;
    } else if (auto own = deflated_.find(*name); own != deflated_.end()) {
      original = &own->second;
    } else if (Original large{ZIP_CM_DEFLATE, 0, {}};
               bytes.size() >= 2 * kPiece && DeflateLarge(bytes, large.compressed, large.crc)) {
      original = &(deflated_[*name] = std::move(large));
    }
    bool copy_deflated = original && original->method == ZIP_CM_DEFLATE;
    zip_source_t* src = nullptr;
    if (copy_deflated) {
      deflated.push_back(
          std::make_unique<DeflatedData>(DeflatedData{&original->compressed, bytes.size(), original->crc}));
      src = zip_source_function(za.get(), DeflatedSource, deflated.back().get());
    } else {
      src = zip_source_buffer(za.get(), bytes.data(), bytes.size(), 0);
    }
    if (!src) BuildFailed(za.get(), "part " + Quoted(*name));
    zip_int64_t index = zip_file_add(za.get(), name->c_str(), src, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(src);
      fail("part " + Quoted(*name));
    }
    const auto at = static_cast<zip_uint64_t>(index);
    bool stored = original && original->method == ZIP_CM_STORE;
    if (!copy_deflated && !stored) fresh.push_back(name);
    // Normal deflate, not libzip's default of the best: faster, and with no
    // level in the entry's flags it matches the copied entries' headers.
    if (!copy_deflated &&
        zip_set_file_compression(za.get(), at, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, stored ? 0 : 6) != 0) {
      fail("part " + Quoted(*name));
    }
    if (zip_file_set_mtime(za.get(), at, when, 0) != 0) fail("part " + Quoted(*name));
  }
  if (zip_close(za.get()) != 0) fail("writing the archive");
  za.release();

  if (zip_source_open(buffer.get()) != 0) {
    throw HostError(host::kErrCannotSaveFile, "The package could not be built: the archive cannot be read back.");
  }
  std::string out;
  char chunk[64 * 1024];
  for (;;) {
    zip_int64_t got = zip_source_read(buffer.get(), chunk, sizeof chunk);
    if (got < 0) {
      zip_source_close(buffer.get());
      throw HostError(host::kErrCannotSaveFile, "The package could not be built: the archive cannot be read back.");
    }
    if (got == 0) break;
    out.append(chunk, static_cast<size_t>(got));
  }
  zip_source_close(buffer.get());
  KeepDeflated(out, fresh);
  return out;
}

void Package::KeepDeflated(const std::string& archive, const std::vector<const std::string*>& fresh) const {
  if (fresh.empty()) return;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
  if (!src) return;  // only a cache: the next save deflates again
  ZipPtr za(zip_open_from_source(src, ZIP_RDONLY, &error));
  if (!za) {
    zip_source_free(src);
    return;
  }
  for (const std::string* name : fresh) {
    zip_int64_t index = zip_name_locate(za.get(), name->c_str(), ZIP_FL_ENC_UTF_8);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(za.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_COMP_METHOD) || !(st.valid & ZIP_STAT_CRC) || st.comp_method != ZIP_CM_DEFLATE) {
      continue;
    }
    try {
      deflated_[*name] = Original{ZIP_CM_DEFLATE, st.crc, ReadCompressed(za.get(), static_cast<zip_uint64_t>(index), st, *name)};
    } catch (const HostError&) {
      deflated_.erase(*name);
    }
  }
}

void Package::Save(const std::string& path) const {
  if (path.empty()) FailSave(host::kErrBadFileName, path, "no file name was given.");
  if (parts_.empty()) FailSave(host::kErrCannotSaveFile, path, "the package has no parts.");
  io::WriteWhole(path, [this] { return Serialize(); });
}

}  // namespace tarnwell::ooxml
