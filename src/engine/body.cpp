#include "engine/body.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/styles.h"
#include "host/collection.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::Value;

namespace {

// Appends the code points of UTF-8 text; the walker decodes straight into
// the story's text rather than through a string per run.
void DecodeInto(std::u32string& out, std::string_view s) {
  // No more code points than bytes: room is made once, and trimmed after.
  const size_t at = out.size();
  out.resize(at + s.size());
  char32_t* to = out.data() + at;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k <= extra && i + static_cast<size_t>(k) < s.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
    }
    *to++ = cp;
    i += static_cast<size_t>(extra) + 1;
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

std::u32string Decode(std::string_view s) {
  std::u32string out;
  DecodeInto(out, s);
  return out;
}

std::string Encode(std::u32string_view s) {
  std::string out;
  for (char32_t cp : s) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

using Atom = Body::Atom;

// How many code points DecodeInto would append.
int32_t CountDecoded(std::string_view s) {
  int32_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  }
  return n;
}

struct Walker {
  // Walks on from position start into layout; text, when given, receives
  // the story's characters.
  Walker(const std::string& prefix, Body::Layout& layout, int32_t start, std::u32string* chars = nullptr)
      : qualifier(prefix.empty() ? "" : prefix + ":"), out(layout), text(chars), length(start) {}
  std::string qualifier;  // the Word namespace prefix of the main part and its colon, or nothing
  Body::Layout& out;
  std::u32string* text;
  int32_t length;

  // The local name of one of Word's elements, "" for any other. Taken in
  // place: the walk meets every element of the body, and a qualified name
  // built for each would cost more than the walk itself.
  std::string_view Word(pugi::xml_node n) const {
    std::string_view name = n.name();
    return name.size() > qualifier.size() && name.starts_with(qualifier) &&
                   name.find(':', qualifier.size()) == std::string_view::npos
               ? name.substr(qualifier.size())
               : std::string_view();
  }
  int32_t pos() const { return length; }
  void Put(char32_t c) {
    if (text) text->push_back(c);
    ++length;
  }

  bool Mark(pugi::xml_node c, std::string_view local) {
    bool start = local == "bookmarkStart";
    if (!start && local != "bookmarkEnd") return false;
    out.edges.push_back(Body::BookmarkEdge{c, pos(), start});
    return true;
  }

  // The body's own elements from first on, each recorded where it begins.
  void Top(pugi::xml_node first) {
    for (pugi::xml_node c = first; c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      out.tops.push_back(Body::Top{c, out.paras.size(), out.tables.size(), out.edges.size(), pos()});
      Item(c, false);
    }
  }

  void Block(pugi::xml_node parent, bool in_table) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_element) Item(c, in_table);
    }
  }

  void Item(pugi::xml_node c, bool in_table) {
    const std::string_view local = Word(c);
    if (Mark(c, local) || local == "sectPr") return;
    if (local == "p") {
      Body::Para para;
      para.node = c;
      para.start = pos();
      para.in_table = in_table;
      out.atoms.emplace_back();
      Inline(c, out.atoms.back());
      para.mark = pos();
      Put(U'\r');
      out.paras.push_back(para);
    } else if (local == "tbl") {
      size_t at = out.tables.size();
      out.tables.push_back(Body::Table{c, pos(), 0, !in_table});
      // Bookmarks may stand between rows and between cells.
      for (pugi::xml_node row = c.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) continue;
        const std::string_view row_name = Word(row);
        if (Mark(row, row_name) || row_name != "tr") continue;
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
          if (cell.type() != pugi::node_element) continue;
          const std::string_view cell_name = Word(cell);
          if (!Mark(cell, cell_name) && cell_name == "tc") Block(cell, true);
        }
        Put(U'\a');
      }
      out.tables[at].end = pos();
    } else {
      Block(c, in_table);
    }
  }

  void Inline(pugi::xml_node parent, std::vector<Atom>& atoms) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const std::string_view local = Word(c);
      if (Mark(c, local)) continue;
      if ((local.empty() ? ooxml::LocalName(c.name()) : local) == "AlternateContent") {
        // Markup compatibility's choice stands in the text: Word takes the
        // first alternative.
        if (pugi::xml_node first = c.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; })) {
          Inline(first, atoms);
        }
        continue;
      }
      if (local == "t") {
        int32_t start = pos();
        if (text) {
          DecodeInto(*text, c.text().get());
          length = static_cast<int32_t>(text->size());
        } else {
          length += CountDecoded(c.text().get());
        }
        atoms.push_back(Atom{c, start, pos() - start, true});
      } else if (local == "tab" || local == "ptab" || local == "br" || local == "cr" || local == "sym" ||
                 local == "noBreakHyphen" || local == "softHyphen" || local == "drawing" || local == "pict" ||
                 local == "object") {
        atoms.push_back(Atom{c, pos(), 1, false});
        Put(local == "tab" ? U'\t' : local == "br" ? U'\v' : local == "cr" ? U'\r' : U'\x01');
      } else if (local == "pPr" || local == "rPr" || local == "delText" || local == "instrText" ||
                 local == "del" || local == "moveFrom" || local == "fldData") {
        continue;
      } else {
        Inline(c, atoms);
      }
    }
  }
};

// The ids of the bookmarks whole in a layout.
std::set<std::string> MarkIds(const Body::Layout& l) {
  std::set<std::string> ids;
  for (const auto& m : l.marks) ids.insert(m.id);
  return ids;
}

// Bookmarks by id as the walk met their two ends; the later of two ends
// with one id counts.
struct Pairs {
  std::map<std::string, Body::Mark> open;
  std::map<std::string, Body::BookmarkEdge> ends;
  int32_t max_id = -1;

  Pairs(const Body::Layout& l, const std::string& prefix) {
    const std::string id_attr = ooxml::Q(prefix, "id"), name_attr = ooxml::Q(prefix, "name");
    for (const auto& e : l.edges) {
      std::string id = e.node.attribute(id_attr.c_str()).value();
      max_id = std::max(max_id, atoi(id.c_str()));
      if (e.start) {
        Body::Mark m;
        m.name = e.node.attribute(name_attr.c_str()).value();
        m.id = id;
        m.start_node = e.node;
        m.start = e.pos;
        open[id] = m;
      } else {
        ends[id] = e;
      }
    }
  }
};

// The run (or other child of a paragraph-level container) holding an atom.
pugi::xml_node RunOf(pugi::xml_node atom, const std::string& p) {
  for (pugi::xml_node n = atom; n; n = n.parent()) {
    if (n.name() == ooxml::Q(p, "r")) return n;
  }
  return atom;
}

bool ValidBookmarkName(const std::string& name) {
  if (name.empty() || name.size() > 40) return false;
  auto ascii_alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (!ascii_alpha(name[0]) && static_cast<unsigned char>(name[0]) < 0x80) return false;
  for (char c : name) {
    bool ok = ascii_alpha(c) || (c >= '0' && c <= '9') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    if (!ok) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

pugi::xml_node Body::body_root() {
  doc_.require_open();
  pugi::xml_node root = doc_.xml(doc_.main_part()).document_element();
  prefix_ = ooxml::PrefixFor(root, ooxml::kWordNs, "w");
  pugi::xml_node body = root.child(q("body").c_str());
  if (!body) throw HostError(host::kErrWordCannotOpenFile, doc_.full_name() + " has no document body.");
  return body;
}

std::string Body::q(std::string_view local) { return ooxml::Q(prefix_, local); }

const Body::Layout& Body::current_layout() {
  if (walked_ && resume_ == kWhole && dirty_.empty()) return *walked_;
  pugi::xml_node body = body_root();
  if (!walked_) {
    walked_ = Layout();
    resume_ = 0;
  }
  Layout& l = *walked_;
  size_t k = std::min(resume_, l.tops.size());
  for (size_t d : dirty_) {
    if (d >= k) break;
    if (!Rewalk(l, d, body)) k = d;
  }
  dirty_.clear();
  resume_ = kWhole;
  if (k < l.tops.size() || l.tops.empty()) {
    // What stands before element k is as it was walked.
    if (k > 0 && l.tops[k - 1].node.parent() != body) k = 0;
    pugi::xml_node from = k > 0 ? l.tops[k - 1].node.next_sibling() : body.first_child();
    const Top t = k > 0 ? l.tops[k] : Top{};
    l.paras.resize(t.paras);
    l.atoms.resize(t.paras);
    l.tables.resize(t.tables);
    l.edges.resize(t.edges);
    l.tops.resize(k);
    Walker w{prefix_, l, t.start};
    w.Top(from);
    l.length = w.pos();
  }
  Pairs pairs(l, prefix_);
  l.marks.clear();
  for (auto& [id, m] : pairs.open) {
    auto e = pairs.ends.find(id);
    if (e == pairs.ends.end()) continue;
    m.end_node = e->second.node;
    m.end = e->second.pos;
    l.marks.push_back(m);
  }
  std::sort(l.marks.begin(), l.marks.end(), [](const Mark& a, const Mark& b) { return a.name < b.name; });
  l.max_bookmark_id = pairs.max_id;
  return l;
}

bool Body::Rewalk(Layout& l, size_t k, pugi::xml_node body) {
  auto element = [](pugi::xml_node n) {
    while (n && n.type() != pugi::node_element) n = n.next_sibling();
    return n;
  };
  const pugi::xml_node node = l.tops[k].node;
  const bool last = k + 1 == l.tops.size();
  if (node.parent() != body) return false;
  if (element(k > 0 ? l.tops[k - 1].node.next_sibling() : body.first_child()) != node) return false;
  if (element(node.next_sibling()) != (last ? pugi::xml_node() : l.tops[k + 1].node)) return false;

  Top top = l.tops[k];
  Layout alone;
  Walker w{prefix_, alone, top.start};
  w.Item(node, false);
  if (w.pos() != (last ? l.length : l.tops[k + 1].start)) return false;

  const size_t paras_end = last ? l.paras.size() : l.tops[k + 1].paras;
  const size_t tables_end = last ? l.tables.size() : l.tops[k + 1].tables;
  const size_t edges_end = last ? l.edges.size() : l.tops[k + 1].edges;
  auto splice = [](auto& all, size_t from, size_t to, auto& part) {
    all.erase(all.begin() + static_cast<std::ptrdiff_t>(from), all.begin() + static_cast<std::ptrdiff_t>(to));
    all.insert(all.begin() + static_cast<std::ptrdiff_t>(from), std::make_move_iterator(part.begin()),
               std::make_move_iterator(part.end()));
  };
  const std::ptrdiff_t more_paras = static_cast<std::ptrdiff_t>(alone.paras.size()) -
                                    static_cast<std::ptrdiff_t>(paras_end - top.paras);
  const std::ptrdiff_t more_tables = static_cast<std::ptrdiff_t>(alone.tables.size()) -
                                     static_cast<std::ptrdiff_t>(tables_end - top.tables);
  const std::ptrdiff_t more_edges = static_cast<std::ptrdiff_t>(alone.edges.size()) -
                                    static_cast<std::ptrdiff_t>(edges_end - top.edges);
  splice(l.paras, top.paras, paras_end, alone.paras);
  splice(l.atoms, top.paras, paras_end, alone.atoms);
  splice(l.tables, top.tables, tables_end, alone.tables);
  splice(l.edges, top.edges, edges_end, alone.edges);
  for (size_t j = k + 1; j < l.tops.size(); ++j) {
    l.tops[j].paras += static_cast<size_t>(more_paras);
    l.tops[j].tables += static_cast<size_t>(more_tables);
    l.tops[j].edges += static_cast<size_t>(more_edges);
  }
  return true;
}

void Body::Touch(pugi::xml_node node) {
  touched_ = true;
  if (walked_) {
    pugi::xml_node body = body_root(), top = node;
    while (top && top.parent() != body) top = top.parent();
    const auto& tops = walked_->tops;
    for (size_t i = tops.size(); top && i-- > 0;) {
      if (tops[i].node == top) {
        pending_dirty_.insert(i);
        return;
      }
    }
  }
  pending_resume_ = 0;  // anywhere: all of it
}

void Body::TouchAt(int32_t pos) {
  touched_ = true;
  if (!walked_) {
    pending_resume_ = 0;
    return;
  }
  // From one character early, so that an edit at the very start of an
  // element is covered whichever side of the boundary it is counted on.
  const auto& tops = walked_->tops;
  auto after = std::upper_bound(tops.begin(), tops.end(), pos - 1,
                                [](int32_t p, const Top& t) { return p < t.start; });
  size_t at = after == tops.begin() ? 0 : static_cast<size_t>(after - tops.begin()) - 1;
  pending_resume_ = std::min(pending_resume_, at);
}

void Body::Restructured() {
  resume_ = std::min(resume_, pending_resume_);
  dirty_.merge(pending_dirty_);
  pending_dirty_.clear();
  pending_resume_ = kWhole;
}

std::shared_ptr<Span> Body::track(int32_t start, int32_t end) {
  std::erase_if(live_, [](const std::weak_ptr<Span>& s) { return s.expired(); });
  auto span = std::make_shared<Span>(Span{start, end});
  live_.push_back(span);
  return span;
}

const std::shared_ptr<Span>& Body::selection() {
  if (!selection_) selection_ = track(0, 0);
  return selection_;
}

void Body::Inserted(int32_t pos, int32_t n) {
  for (auto& w : live_) {
    auto s = w.lock();
    if (!s) continue;
    bool collapsed_here = s->start == pos && s->end == pos;
    if (s->start >= pos) s->start += n;
    if (s->end > pos || collapsed_here) s->end += n;
  }
}

void Body::Removed(int32_t from, int32_t n) {
  for (auto& w : live_) {
    auto s = w.lock();
    if (!s) continue;
    for (int32_t* v : {&s->start, &s->end}) {
      if (*v > from) *v = std::max(from, *v - n);
    }
  }
}

void Body::Changed(bool formatting_only) {
  if (!formatting_only) {
    // An edit that did not say where it went: all of it is walked again.
    if (!touched_) resume_ = 0;
    Restructured();
  }
  touched_ = false;
  DropBareStoryEnd();
  doc_.changed(doc_.main_part());
}

const Body::Para* Body::ParaAt(const Layout& l, int32_t pos) {
  // Paragraphs stand in the layout in document order, none overlapping.
  auto p = std::lower_bound(l.paras.begin(), l.paras.end(), pos, [](const Para& a, int32_t v) { return a.mark < v; });
  if (p != l.paras.end() && pos >= p->start) return &*p;
  if (l.paras.empty()) throw HostError(host::kErrCommandFailed, doc_.full_name() + " has no paragraph.");
  return pos <= 0 ? &l.paras.front() : &l.paras.back();
}

bool Body::LacksLastParagraph(const Layout& l) { return l.paras.empty() || l.paras.back().in_table; }

const Body::Layout& Body::StoryLayout() {
  const Layout& l = current_layout();
  if (!LacksLastParagraph(l)) return l;
  // Word's story always ends in a paragraph of its own, outside any table;
  // it is made here for an edit that needs it.
  pugi::xml_node body = body_root();
  pugi::xml_node section = body.child(q("sectPr").c_str());
  const bool touched = touched_;
  if (section) {
    Touch(section);
  } else {
    // Appended: only what comes after the last element is new.
    Touch(body.last_child());
  }
  story_end_ = section ? body.insert_child_before(q("p").c_str(), section) : body.append_child(q("p").c_str());
  Restructured();
  touched_ = touched;
  return current_layout();
}

void Body::DropBareStoryEnd() {
  if (!story_end_) return;
  pugi::xml_node p = story_end_;
  if (!Attached(p)) {
    story_end_ = {};
    return;
  }
  if (p.first_child() || p.first_attribute()) return;
  for (pugi::xml_node n = p.next_sibling(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element && n.name() != q("sectPr")) return;
  }
  int32_t at = -1;
  const auto& paras = current_layout().paras;
  for (auto it = paras.rbegin(); it != paras.rend(); ++it) {
    if (it->node == p) {
      at = it->start;
      break;
    }
  }
  const bool touched = touched_;
  Touch(p);
  p.parent().remove_child(p);
  story_end_ = {};
  Restructured();
  touched_ = touched;
  if (at >= 0) Removed(at, 1);
}

void Body::InsertParagraphAfter(Span& r) {
  int32_t length_before = current_layout().length;
  const Layout& l = StoryLayout();
  // A range reaching the end of the story takes in its last paragraph, made
  // just now when the body had none outside a table.
  int32_t at = r.end > r.start ? r.end - 1 : r.start;
  const Para* p = r.end >= length_before ? &l.paras.back() : ParaAt(l, std::clamp(at, 0, l.length));
  Touch(p->node);
  pugi::xml_node para = p->node.parent().insert_child_after(pugi::node_element, p->node);
  para.set_name(q("p").c_str());
  // The new paragraph carries on the formatting of the one it follows, but
  // never its section break.
  if (pugi::xml_node ppr = p->node.child(q("pPr").c_str())) {
    pugi::xml_node copy = para.append_copy(ppr);
    for (const char* drop : {"sectPr", "pPrChange"}) {
      if (pugi::xml_node d = copy.child(q(drop).c_str())) copy.remove_child(d);
    }
  }
  int32_t new_mark = p->mark + 1;
  Inserted(new_mark, 1);
  r.end = std::max(r.end, new_mark + 1);
  Changed();
}

int32_t Body::MoveEnd(Span& r, int32_t unit, int32_t count) {
  const Layout& l = current_layout();
  int32_t moved = 0;
  if (unit == 1) {
    int32_t to = std::clamp(r.end + count, 0, l.length);
    moved = to - r.end;
    r.end = to;
  } else if (unit == 4) {
    for (; moved < count; ++moved) {
      auto next = std::upper_bound(l.paras.begin(), l.paras.end(), r.end,
                                   [](int32_t v, const Para& p) { return v < p.mark + 1; });
      if (next == l.paras.end()) break;
      r.end = next->mark + 1;
    }
    for (; moved > count; --moved) {
      auto after = std::lower_bound(l.paras.begin(), l.paras.end(), r.end,
                                    [](const Para& p, int32_t v) { return p.start < v; });
      if (after == l.paras.begin()) break;
      r.end = std::prev(after)->start;
    }
  } else {
    throw HostError(host::kErrInvalidProcedureCall, "MoveEnd: only characters (1) and paragraphs (4) are supported.");
  }
  if (r.start > r.end) r.start = r.end;
  return moved;
}

void Body::Collapse(Span& r, int32_t direction) {
  if (direction == 0) {
    r.start = r.end;
    // Nothing stands after the last paragraph mark: the end of the story is
    // just before it.
    int32_t length = current_layout().length;
    if (r.start >= length && length > 0) r.start = r.end = length - 1;
  } else {
    r.end = r.start;
  }
}

bool Body::InTable(const Span& r) {
  const Layout& l = current_layout();
  if (AtStoryEnd(l, r.start)) return false;
  return ParaAt(l, std::clamp(r.start, 0, l.length))->in_table;
}

bool Body::AtStoryEnd(const Layout& l, int32_t pos) { return LacksLastParagraph(l) && pos >= l.length; }

std::string Body::StyleName(const Span& r) {
  const Layout& l = current_layout();
  // The story's last paragraph, while not made, has the default style.
  const Para* p = AtStoryEnd(l, r.start) ? nullptr : ParaAt(l, std::clamp(r.start, 0, l.length));
  StyleSheet& sheet = doc_.styles();
  std::string id =
      p ? p->node.child(q("pPr").c_str()).child(q("pStyle").c_str()).attribute(q("val").c_str()).value() : "";
  if (!id.empty()) {
    if (pugi::xml_node s = sheet.by_id(id)) return sheet.display_name(s);
  }
  for (size_t i = 0; i < sheet.count(); ++i) {
    pugi::xml_node s = sheet.at(i);
    if (sheet.kind(s) == StyleKind::Paragraph && s.attribute(sheet.q("default").c_str()).as_bool()) {
      return sheet.display_name(s);
    }
  }
  return "Normal";
}

void Body::SetStyle(const Span& r, const std::string& name) {
  StyleSheet& sheet = doc_.styles();
  pugi::xml_node style = sheet.find(name);
  if (!style) throw HostError(host::kErrNoSuchStyle, "The style \"" + name + "\" does not exist.");
  std::string id = sheet.id(style);
  const Layout& l = StoryLayout();
  int32_t s = std::clamp(r.start, 0, l.length), e = std::clamp(r.end, 0, l.length);
  std::vector<size_t> hit;
  auto first = std::lower_bound(l.paras.begin(), l.paras.end(), s, [](const Para& p, int32_t v) { return p.mark < v; });
  for (size_t i = static_cast<size_t>(first - l.paras.begin()); i < l.paras.size(); ++i) {
    const Para& p = l.paras[i];
    bool overlaps = s == e ? (s >= p.start && s <= p.mark) : (p.start < e && p.mark >= s);
    if (!overlaps) break;
    hit.push_back(i);
  }
  if (hit.empty()) hit.push_back(static_cast<size_t>(ParaAt(l, s) - l.paras.data()));
  auto ppr_of = [&](pugi::xml_node para) {
    pugi::xml_node ppr = para.child(q("pPr").c_str());
    return ppr ? ppr : para.prepend_child(q("pPr").c_str());
  };
  auto set_val = [&](pugi::xml_node parent, const std::string& child, bool first,
                     const std::initializer_list<std::string_view>& order) {
    pugi::xml_node n = parent.child(child.c_str());
    if (!n) n = first ? parent.prepend_child(child.c_str()) : ooxml::InsertOrdered(parent, child, order);
    if (!n.attribute(q("val").c_str())) n.append_attribute(q("val").c_str());
    return n;
  };
  switch (sheet.kind(style)) {
    case StyleKind::Paragraph:
      for (size_t i : hit) {
        set_val(ppr_of(l.paras[i].node), q("pStyle"), true, {}).attribute(q("val").c_str()).set_value(id.c_str());
      }
      break;
    case StyleKind::Character: {
      bool any = false;
      for (size_t i : hit) {
        for (const Atom& a : l.atoms[i]) {
          if (s == e || a.start + a.len <= s || a.start >= e) continue;
          pugi::xml_node run = RunOf(a.node, prefix_);
          if (run == a.node) continue;
          pugi::xml_node rpr = run.child(q("rPr").c_str());
          if (!rpr) rpr = run.prepend_child(q("rPr").c_str());
          set_val(rpr, q("rStyle"), true, {}).attribute(q("val").c_str()).set_value(id.c_str());
          any = true;
        }
      }
      if (!any) {
        // Nothing selected: the paragraph mark carries the style, as the
        // insertion point does in Word.
        pugi::xml_node ppr = ppr_of(l.paras[hit.front()].node);
        pugi::xml_node rpr = ppr.child(q("rPr").c_str());
        if (!rpr) rpr = ooxml::InsertOrdered(ppr, q("rPr"), kParagraphPropertyOrder);
        set_val(rpr, q("rStyle"), true, {}).attribute(q("val").c_str()).set_value(id.c_str());
      }
      break;
    }
    case StyleKind::Table: {
      const Table* inner = nullptr;
      for (const auto& t : l.tables) {
        if (s >= t.start && s < t.end && (!inner || t.start >= inner->start)) inner = &t;
      }
      if (!inner) {
        throw HostError(host::kErrCommandFailed, "A table style applies only within a table (" + name + ").");
      }
      pugi::xml_node table = inner->node;
      pugi::xml_node tblpr = table.child(q("tblPr").c_str());
      if (!tblpr) tblpr = table.prepend_child(q("tblPr").c_str());
      set_val(tblpr, q("tblStyle"), true, {}).attribute(q("val").c_str()).set_value(id.c_str());
      break;
    }
    case StyleKind::List: {
      // A list style applies its numbering to the paragraphs.
      std::string num_id = StyleNumId(doc_, style);
      if (num_id.empty()) break;
      for (size_t i : hit) {
        pugi::xml_node numpr = set_val(ppr_of(l.paras[i].node), q("numPr"), false, kParagraphPropertyOrder);
        numpr.remove_attribute(q("val").c_str());
        numpr.remove_children();
        numpr.append_child(q("numId").c_str()).append_attribute(q("val").c_str()).set_value(num_id.c_str());
      }
      break;
    }
  }
  Changed(true);
}

std::string Body::Text(const Span& r) {
  pugi::xml_node body = body_root();
  Layout l;
  std::u32string text;
  Walker w{prefix_, l, 0, &text};
  w.Top(body.first_child());
  int32_t s = std::clamp(r.start, 0, static_cast<int32_t>(text.size()));
  int32_t e = std::clamp(r.end, s, static_cast<int32_t>(text.size()));
  return Encode(std::u32string_view(text).substr(static_cast<size_t>(s), static_cast<size_t>(e - s)));
}

bool Body::Attached(pugi::xml_node node) {
  pugi::xml_node body = body_root();
  for (pugi::xml_node n = node; n; n = n.parent()) {
    if (n == body) return true;
  }
  return false;
}

void Body::Delete(Span& r) {
  const Layout& l = current_layout();
  const auto& atoms = l.atoms;
  int32_t s = std::clamp(r.start, 0, l.length), e = std::clamp(r.end, s, l.length);
  if (s == e) return;
  const int32_t length_before = l.length;
  const std::set<std::string> whole_marks = MarkIds(l);
  // Nothing before s changes.
  TouchAt(s);

  // Whole tables go with their rows; a table partly in the range keeps its
  // structure and loses only text.
  std::vector<pugi::xml_node> gone_tables;
  for (const auto& t : l.tables) {
    if (t.start < s || t.end > e) continue;
    bool inside_gone = std::any_of(gone_tables.begin(), gone_tables.end(), [&](pugi::xml_node g) {
      for (pugi::xml_node n = t.node.parent(); n; n = n.parent()) {
        if (n == g) return true;
      }
      return false;
    });
    if (!inside_gone) gone_tables.push_back(t.node);
  }
  auto in_gone_table = [&](pugi::xml_node n) {
    for (pugi::xml_node a = n.parent(); a; a = a.parent()) {
      if (std::find(gone_tables.begin(), gone_tables.end(), a) != gone_tables.end()) return true;
    }
    return false;
  };

  std::vector<size_t> whole;
  std::vector<size_t> merge;  // paragraphs whose mark went, joined with the next
  // Only paragraphs from the one whose mark is at s or later, up to the
  // first starting at e, hold anything in the range.
  auto first = std::lower_bound(l.paras.begin(), l.paras.end(), s, [](const Para& a, int32_t v) { return a.mark < v; });
  for (auto i = static_cast<size_t>(first - l.paras.begin()); i < l.paras.size() && l.paras[i].start < e; ++i) {
    const Para& p = l.paras[i];
    if (in_gone_table(p.node)) continue;
    bool holds_section = p.node.child(q("pPr").c_str()).child(q("sectPr").c_str());
    if (s <= p.start && p.mark < e && !holds_section) {
      whole.push_back(i);
      continue;
    }
    for (const Atom& a : atoms[i]) {
      int32_t from = std::max(s, a.start), to = std::min(e, a.start + a.len);
      if (from >= to) continue;
      if (a.text && to - from < a.len) {
        std::u32string t = Decode(a.node.text().get());
        t.erase(static_cast<size_t>(from - a.start), static_cast<size_t>(to - from));
        pugi::xml_node node = a.node;
        node.text().set(Encode(t).c_str());
        if (!node.attribute("xml:space")) node.append_attribute("xml:space").set_value("preserve");
      } else {
        pugi::xml_node run = RunOf(a.node, prefix_);
        a.node.parent().remove_child(a.node);
        // A run left with nothing but its properties goes too.
        if (run != a.node) {
          bool empty = true;
          for (pugi::xml_node c : run.children()) {
            if (c.type() == pugi::node_element && c.name() != q("rPr")) empty = false;
          }
          if (empty) run.parent().remove_child(run);
        }
      }
    }
    if (p.mark >= s && p.mark < e && !p.in_table && i + 1 < l.paras.size() &&
        l.paras[i + 1].node.parent() == p.node.parent() && l.paras[i + 1].start < e &&
        l.paras[i + 1].node == p.node.next_sibling(q("p").c_str())) {
      merge.push_back(i);
    }
  }

  // A container keeps at least one paragraph, and a table never ends one.
  std::set<size_t> kept;
  std::map<pugi::xml_node_struct*, std::vector<size_t>> by_parent;
  for (size_t i : whole) by_parent[l.paras[i].node.parent().internal_object()].push_back(i);
  for (auto& [parent_struct, list] : by_parent) {
    pugi::xml_node parent(parent_struct);
    std::string para_name = q("p");
    auto range = parent.children(para_name.c_str());
    size_t paras = static_cast<size_t>(std::distance(range.begin(), range.end()));
    // Except the story's last paragraph made for an edit: it goes again.
    if (paras == list.size() && l.paras[list.back()].node != story_end_) kept.insert(list.back());
  }
  for (size_t i : whole) {
    pugi::xml_node p = l.paras[i].node;
    pugi::xml_node before = p.previous_sibling();
    while (before && before.type() != pugi::node_element) before = before.previous_sibling();
    pugi::xml_node after = p.next_sibling();
    while (after && after.type() != pugi::node_element) after = after.next_sibling();
    bool table_would_end =
        p != story_end_ && before && before.name() == q("tbl") && (!after || after.name() == q("sectPr"));
    if (table_would_end) kept.insert(i);
  }
  for (size_t i : whole) {
    pugi::xml_node p = l.paras[i].node;
    if (kept.count(i)) {
      for (pugi::xml_node c = p.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (c.name() != q("pPr")) p.remove_child(c);
        c = next;
      }
    } else {
      p.parent().remove_child(p);
    }
  }
  for (pugi::xml_node t : gone_tables) t.parent().remove_child(t);
  for (auto it = merge.rbegin(); it != merge.rend(); ++it) {
    pugi::xml_node p = l.paras[*it].node, next = l.paras[*it + 1].node;
    if (!Attached(p) || !Attached(next)) continue;
    for (pugi::xml_node c = next.first_child(); c;) {
      pugi::xml_node following = c.next_sibling();
      if (c.name() != q("pPr")) p.append_move(c);
      c = following;
    }
    next.parent().remove_child(next);
  }
  FixOrphanBookmarks(whole_marks);
  Restructured();
  int32_t after_length = current_layout().length;
  Removed(s, length_before - after_length);
  r.start = r.end = s;
  Changed();
}

pugi::xml_node Body::AddTable(Span& r, int32_t rows, int32_t columns) {
  if (rows < 1 || columns < 1 || rows > 32767 || columns > 63) {
    throw HostError(host::kErrInvalidProcedureCall, "A table needs 1 to 32767 rows and 1 to 63 columns.");
  }
  const Layout& l = StoryLayout();
  const Para* p = ParaAt(l, std::clamp(r.start, 0, l.length));
  int32_t at = p->start;
  Touch(p->node);
  std::string width = std::to_string(9360 / columns);
  std::string x = "<w:tbl xmlns:w=\"" + std::string(ooxml::kWordNs) +
                  "\"><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/><w:tblLook w:val=\"04A0\"/></w:tblPr><w:tblGrid>";
  for (int32_t c = 0; c < columns; ++c) x += "<w:gridCol w:w=\"" + width + "\"/>";
  x += "</w:tblGrid>";
  for (int32_t row = 0; row < rows; ++row) {
    x += "<w:tr>";
    for (int32_t c = 0; c < columns; ++c) {
      x += "<w:tc><w:tcPr><w:tcW w:w=\"" + width + "\" w:type=\"dxa\"/></w:tcPr><w:p/></w:tc>";
    }
    x += "</w:tr>";
  }
  x += "</w:tbl>";
  pugi::xml_document fragment;
  fragment.load_buffer(x.data(), x.size());
  pugi::xml_node table = p->node.parent().insert_copy_before(fragment.document_element(), p->node);
  table.remove_attribute("xmlns:w");
  if (prefix_ != "w") {
    std::vector<pugi::xml_node> stack{table};
    while (!stack.empty()) {
      pugi::xml_node n = stack.back();
      stack.pop_back();
      n.set_name(q(ooxml::LocalName(n.name())).c_str());
      for (pugi::xml_attribute a : n.attributes()) a.set_name(q(ooxml::LocalName(a.name())).c_str());
      for (pugi::xml_node c : n.children()) stack.push_back(c);
    }
  }
  Inserted(at, rows * (columns + 1));
  // The range now stands in the table's first cell.
  r.start = r.end = at;
  Changed();
  return table;
}

void Body::DeleteTable(pugi::xml_node table) {
  if (!Attached(table)) throw HostError(kErrObjectDeleted, "Object has been deleted (table).");
  const Layout& l = current_layout();
  int32_t start = 0, end = 0;
  for (const auto& t : l.tables) {
    if (t.node == table) start = t.start, end = t.end;
  }
  const std::set<std::string> whole_marks = MarkIds(l);
  Touch(table);
  table.parent().remove_child(table);
  FixOrphanBookmarks(whole_marks);
  Removed(start, end - start);
  Changed();
}

void Body::InsertAt(const Layout& l, int32_t pos, pugi::xml_node element, bool after_run) {
  const Para* at = ParaAt(l, pos);
  const auto& atoms = l.atoms[static_cast<size_t>(at - l.paras.data())];
  pugi::xml_node para = at->node;
  if (!after_run) {
    for (const Atom& a : atoms) {
      if (a.start + a.len > pos) {
        pugi::xml_node run = RunOf(a.node, prefix_);
        run.parent().insert_move_before(element, run);
        return;
      }
    }
    para.append_move(element);
    return;
  }
  const Atom* last = nullptr;
  for (const Atom& a : atoms) {
    if (a.start < pos) last = &a;
  }
  if (last) {
    pugi::xml_node run = RunOf(last->node, prefix_);
    run.parent().insert_move_after(element, run);
    return;
  }
  if (pugi::xml_node ppr = para.child(q("pPr").c_str())) {
    para.insert_move_after(element, ppr);
  } else {
    para.prepend_move(element);
  }
}

void Body::AddBookmark(const std::string& name, const Span& r) {
  if (!ValidBookmarkName(name)) throw HostError(kErrBadBookmarkName, "Bad bookmark name (" + name + ").");
  DeleteBookmark(name);
  const Layout& l = StoryLayout();
  std::string id = std::to_string(l.max_bookmark_id + 1);
  int32_t s = std::clamp(r.start, 0, l.length), e = std::clamp(r.end, s, l.length);
  Touch(ParaAt(l, s)->node);
  Touch(ParaAt(l, e)->node);

  pugi::xml_document scratch;
  pugi::xml_node start = scratch.append_child(q("bookmarkStart").c_str());
  start.append_attribute(q("id").c_str()).set_value(id.c_str());
  start.append_attribute(q("name").c_str()).set_value(name.c_str());
  pugi::xml_node end = scratch.append_child(q("bookmarkEnd").c_str());
  end.append_attribute(q("id").c_str()).set_value(id.c_str());
  // Moving out of a scratch document is not possible; copies are placed.
  pugi::xml_node holder = ParaAt(l, s)->node;
  pugi::xml_node placed_start = holder.append_copy(start);
  InsertAt(l, s, placed_start, false);
  if (s == e) {
    placed_start.parent().insert_copy_after(end, placed_start);
  } else {
    pugi::xml_node end_para = ParaAt(l, e)->node;
    pugi::xml_node placed_end = end_para.append_copy(end);
    InsertAt(l, e, placed_end, true);
  }
  Changed();
}

void Body::DeleteBookmark(const std::string& name) {
  for (const auto& m : current_layout().marks) {
    if (m.name != name) continue;
    Touch(m.start_node);
    Touch(m.end_node);
    m.start_node.parent().remove_child(m.start_node);
    m.end_node.parent().remove_child(m.end_node);
    Changed();
    return;
  }
}

void Body::FixOrphanBookmarks(const std::set<std::string>& whole) {
  // Only a bookmark that was whole can have lost an end: none, no walk.
  if (whole.empty()) return;
  Restructured();
  Pairs w(current_layout(), prefix_);
  for (auto& [id, m] : w.open) {
    if (w.ends.count(id) || !whole.count(id)) continue;
    Touch(m.start_node);
    pugi::xml_node end = m.start_node.parent().insert_child_after(q("bookmarkEnd").c_str(), m.start_node);
    end.append_attribute(q("id").c_str()).set_value(id.c_str());
  }
  for (auto& [id, end] : w.ends) {
    if (w.open.count(id) || !whole.count(id)) continue;
    Touch(end.node);
    end.node.parent().remove_child(end.node);
  }
}

// ---------------------------------------------------------------------------

namespace {

class TableObject : public host::DispatchObject {
 public:
  TableObject(std::shared_ptr<DocumentModel> doc, pugi::xml_node node, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Table", std::move(faults)), doc_(std::move(doc)), node_(node) {
    method("Delete", [this](const Args&) {
      doc_->body().DeleteTable(node_);
      return Value();
    });
  }

 private:
  std::shared_ptr<DocumentModel> doc_;
  pugi::xml_node node_;
};

class Tables : public host::DispatchObject {
 public:
  Tables(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Tables", faults), doc_(std::move(doc)), faults_(std::move(faults)) {
    property("Count", [this](const Args&) { return Value(static_cast<int32_t>(TopLevel().size())); });
    method("Item", [this](const Args& a) {
      auto tables = TopLevel();
      int32_t n = host::arg(a, 0).as_int();
      if (n < 1 || static_cast<size_t>(n) > tables.size()) {
        throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
      }
      return Value(host::ObjectPtr(std::make_shared<TableObject>(doc_, tables[static_cast<size_t>(n - 1)], faults_)));
    });
    method("Add", [this](const Args& a) {
      auto* range = dynamic_cast<Range*>(host::arg(a, 0).as_object().get());
      if (!range || &range->document() != doc_.get()) {
        throw HostError(host::kErrTypeMismatch, "Tables.Add needs a range of this document.");
      }
      int32_t rows = host::has_arg(a, 1) ? host::arg(a, 1).as_int() : 1;
      int32_t cols = host::has_arg(a, 2) ? host::arg(a, 2).as_int() : 1;
      pugi::xml_node t = doc_->body().AddTable(range->span(), rows, cols);
      return Value(host::ObjectPtr(std::make_shared<TableObject>(doc_, t, faults_)));
    });
  }

 private:
  std::vector<pugi::xml_node> TopLevel() {
    std::vector<pugi::xml_node> out;
    for (const auto& t : doc_->body().current_layout().tables) {
      if (t.top_level) out.push_back(t.node);
    }
    return out;
  }
  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<host::FaultPlan> faults_;
};

class Bookmark : public host::DispatchObject {
 public:
  Bookmark(std::shared_ptr<DocumentModel> doc, std::string name, std::function<void()> activate,
           std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Bookmark", faults),
        doc_(std::move(doc)),
        name_(std::move(name)),
        activate_(std::move(activate)),
        faults_(std::move(faults)) {
    property("Name", [this](const Args&) {
      Find();
      return Value(name_);
    });
    property("Start", [this](const Args&) { return Value(Find().start); });
    property("End", [this](const Args&) { return Value(Find().end); });
    property("Range", [this](const Args&) {
      Body::Mark m = Find();
      return Value(host::ObjectPtr(std::make_shared<Range>(doc_, doc_->body().track(m.start, m.end), faults_)));
    });
    method("Select", [this](const Args&) {
      Body::Mark m = Find();
      Span& sel = *doc_->body().selection();
      sel.start = m.start;
      sel.end = m.end;
      activate_();
      return Value();
    });
    method("Delete", [this](const Args&) {
      Find();
      doc_->body().DeleteBookmark(name_);
      return Value();
    });
  }

 private:
  Body::Mark Find() {
    for (const auto& m : doc_->body().current_layout().marks) {
      if (m.name == name_) return m;
    }
    throw HostError(kErrObjectDeleted, "Object has been deleted (bookmark " + name_ + ").");
  }
  std::shared_ptr<DocumentModel> doc_;
  std::string name_;
  std::function<void()> activate_;
  std::shared_ptr<host::FaultPlan> faults_;
};

class Bookmarks : public host::DispatchObject {
 public:
  Bookmarks(std::shared_ptr<DocumentModel> doc, std::function<void()> activate,
            std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Bookmarks", faults),
        doc_(std::move(doc)),
        activate_(std::move(activate)),
        faults_(std::move(faults)) {
    property("Count", [this](const Args&) {
      return Value(static_cast<int32_t>(doc_->body().current_layout().marks.size()));
    });
    method("Exists", [this](const Args& a) {
      std::string name = host::arg(a, 0).as_string();
      for (const auto& m : doc_->body().current_layout().marks) {
        if (m.name == name) return host::word_bool(true);
      }
      return host::word_bool(false);
    });
    method("Item", [this](const Args& a) {
      auto marks = doc_->body().current_layout().marks;
      const Value& index = host::arg(a, 0);
      std::string name;
      if (index.is_string()) {
        name = index.as_string();
        bool found = std::any_of(marks.begin(), marks.end(), [&](const Body::Mark& m) { return m.name == name; });
        if (!found) Missing();
      } else {
        int32_t n = index.as_int();
        if (n < 1 || static_cast<size_t>(n) > marks.size()) Missing();
        name = marks[static_cast<size_t>(n - 1)].name;
      }
      return Value(host::ObjectPtr(std::make_shared<Bookmark>(doc_, name, activate_, faults_)));
    });
    method("Add", [this](const Args& a) {
      std::string name = host::arg(a, 0).as_string();
      Span span = *doc_->body().selection();
      if (host::has_arg(a, 1)) {
        auto* range = dynamic_cast<Range*>(host::arg(a, 1).as_object().get());
        if (!range || &range->document() != doc_.get()) {
          throw HostError(host::kErrTypeMismatch, "Bookmarks.Add needs a range of this document.");
        }
        span = range->span();
      }
      doc_->body().AddBookmark(name, span);
      return Value(host::ObjectPtr(std::make_shared<Bookmark>(doc_, name, activate_, faults_)));
    });
  }

 private:
  [[noreturn]] static void Missing() {
    throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
  }
  std::shared_ptr<DocumentModel> doc_;
  std::function<void()> activate_;
  std::shared_ptr<host::FaultPlan> faults_;
};

}  // namespace

Range::Range(std::shared_ptr<DocumentModel> doc, std::shared_ptr<Span> span, std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("Range", std::move(faults)), doc_(std::move(doc)), span_(std::move(span)) {
  property(
      "Start", [this](const Args&) { return Value(span_->start); },
      [this](const Value& v, const Args&) {
        span_->start = std::clamp(v.as_int(), 0, doc_->body().current_layout().length);
        if (span_->end < span_->start) span_->end = span_->start;
      });
  property(
      "End", [this](const Args&) { return Value(span_->end); },
      [this](const Value& v, const Args&) {
        span_->end = std::clamp(v.as_int(), 0, doc_->body().current_layout().length);
        if (span_->start > span_->end) span_->start = span_->end;
      });
  property("Text", [this](const Args&) { return Value(doc_->body().Text(*span_)); });
  method("InsertParagraphAfter", [this](const Args&) {
    doc_->body().InsertParagraphAfter(*span_);
    return Value();
  });
  method("MoveEnd", [this](const Args& a) {
    int32_t unit = host::has_arg(a, 0) ? host::arg(a, 0).as_int() : 1;
    int32_t count = host::has_arg(a, 1) ? host::arg(a, 1).as_int() : 1;
    return Value(doc_->body().MoveEnd(*span_, unit, count));
  });
  method("Collapse", [this](const Args& a) {
    doc_->body().Collapse(*span_, host::has_arg(a, 0) ? host::arg(a, 0).as_int() : 1);
    return Value();
  });
  method("Information", [this](const Args& a) {
    int32_t type = host::arg(a, 0).as_int();
    if (type != 12) {
      throw HostError(host::kErrInvalidProcedureCall, "Information: only wdWithInTable (12) is supported.");
    }
    return host::word_bool(doc_->body().InTable(*span_));
  });
  property(
      "Style", [this](const Args&) { return Value(doc_->body().StyleName(*span_)); },
      [this](const Value& v, const Args&) {
        std::string name = v.is_object() ? host::deref(v.as_object()).get("NameLocal").as_string() : v.as_string();
        doc_->body().SetStyle(*span_, name);
      });
  method("Delete", [this](const Args&) {
    int32_t before = doc_->body().current_layout().length;
    doc_->body().Delete(*span_);
    return Value(before - doc_->body().current_layout().length);
  });
}

host::ObjectPtr MakeTables(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<Tables>(std::move(doc), std::move(faults));
}

host::ObjectPtr MakeBookmarks(std::shared_ptr<DocumentModel> doc, std::function<void()> activate,
                              std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<Bookmarks>(std::move(doc), std::move(activate), std::move(faults));
}

host::ObjectPtr MakeRange(const std::shared_ptr<DocumentModel>& doc, const Args& args,
                          const std::shared_ptr<host::FaultPlan>& faults) {
  int32_t length = doc->body().current_layout().length;
  int32_t start = host::has_arg(args, 0) ? std::clamp(host::arg(args, 0).as_int(), 0, length) : 0;
  int32_t end = host::has_arg(args, 1) ? std::clamp(host::arg(args, 1).as_int(), start, length) : length;
  return std::make_shared<Range>(doc, doc->body().track(start, end), faults);
}

host::ObjectPtr MakeSelectionRange(const std::shared_ptr<DocumentModel>& doc,
                                   const std::shared_ptr<host::FaultPlan>& faults) {
  Span sel = *doc->body().selection();
  return std::make_shared<Range>(doc, doc->body().track(sel.start, sel.end), faults);
}

}  // namespace tarnwell::engine
