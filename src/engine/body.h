#pragma once
// The main story of a document in the embedded Word: character positions
// over w:body, the edits ranges make, tables and bookmarks, and the objects
// Range, Tables, Table, Bookmarks and Bookmark over them.
//
// Positions count characters (Unicode code points) in document order: the
// text of w:t, one for each tab, break, symbol or drawing, one for each
// paragraph mark and one for each table row's end. A range is a pair of
// positions that edits move as Word moves its ranges.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/object.h"

namespace tarnwell::engine {

class DocumentModel;

// Error Word raises for a bookmark name it will not take.
inline constexpr int32_t kErrBadBookmarkName = 5828;

struct Span {
  int32_t start = 0;
  int32_t end = 0;
};

class Body {
 public:
  explicit Body(DocumentModel& doc) : doc_(doc) {}

  struct Para {
    pugi::xml_node node;
    int32_t start = 0;  // first character
    int32_t mark = 0;   // the paragraph mark
    bool in_table = false;
  };
  struct Table {
    pugi::xml_node node;
    int32_t start = 0, end = 0;
    bool top_level = false;
  };
  struct Mark {
    std::string name, id;
    pugi::xml_node start_node, end_node;
    int32_t start = 0, end = 0;
  };
  // One character-bearing element inside a paragraph.
  struct Atom {
    pugi::xml_node node;
    int32_t start = 0, len = 0;
    bool text = false;
  };
  // A bookmark end met in the walk, in document order.
  struct BookmarkEdge {
    pugi::xml_node node;
    int32_t pos = 0;
    bool start = false;
  };
  // Where a top-level element of the body began in the walk: a later walk
  // starts again at the first one an edit touched.
  struct Top {
    pugi::xml_node node;
    size_t paras = 0, tables = 0, edges = 0;
    int32_t start = 0;
  };
  struct Layout {
    std::vector<Para> paras;
    std::vector<std::vector<Atom>> atoms;  // by paragraph, in order
    std::vector<Table> tables;
    std::vector<Mark> marks;  // complete bookmarks, sorted by name
    int32_t length = 0;
    int32_t max_bookmark_id = -1;
    std::vector<BookmarkEdge> edges;
    std::vector<Top> tops;
  };
  // The body as it is: walked again from the first top-level element an
  // edit touched since the last walk.
  const Layout& current_layout();

  // A range that later edits keep in place.
  std::shared_ptr<Span> track(int32_t start, int32_t end);
  // The document's selection; a collapsed range at the start by default.
  const std::shared_ptr<Span>& selection();

  void InsertParagraphAfter(Span& r);
  int32_t MoveEnd(Span& r, int32_t unit, int32_t count);
  void Collapse(Span& r, int32_t direction);
  bool InTable(const Span& r);
  std::string StyleName(const Span& r);
  void SetStyle(const Span& r, const std::string& name);
  void Delete(Span& r);
  std::string Text(const Span& r);
  pugi::xml_node AddTable(Span& r, int32_t rows, int32_t columns);
  void DeleteTable(pugi::xml_node table);
  bool Attached(pugi::xml_node node);

  void AddBookmark(const std::string& name, const Span& r);
  void DeleteBookmark(const std::string& name);

  // Takes away the story's last paragraph made for an edit when nothing was
  // left in it, so that a save writes the body as it was.
  void DropBareStoryEnd();

 private:
  pugi::xml_node body_root();
  std::string q(std::string_view local);
  // Moves tracked positions after an insertion of n characters at pos.
  void Inserted(int32_t pos, int32_t n);
  // Moves tracked positions after [from, from + n) went.
  void Removed(int32_t from, int32_t n);
  // A change to the body; formatting alone leaves the layout standing.
  void Changed(bool formatting_only = false);
  // The paragraph a position stands in (the last one for the very end).
  const Para* ParaAt(const Layout& l, int32_t pos);
  // An edit is about to change the top-level element holding node (the
  // body itself for anywhere); Restructured() makes it count.
  void Touch(pugi::xml_node node);
  // An edit is about to change anything at or after a position of the
  // current layout.
  void TouchAt(int32_t pos);
  // What was touched is walked again from the next walk on.
  void Restructured();
  // Gives bookmarks that were whole before an edit both their ends again.
  void FixOrphanBookmarks(const std::set<std::string>& whole_ids);
  // Word's story ends in a paragraph outside any table; a body may not.
  static bool LacksLastParagraph(const Layout& l);
  // True at the end of a story whose last paragraph is not made yet.
  static bool AtStoryEnd(const Layout& l, int32_t pos);
  // The layout with the story's last paragraph made, for an edit.
  const Layout& StoryLayout();
  // Inserts a bookmark element at a position, at the nearest run edge.
  void InsertAt(const Layout& l, int32_t pos, pugi::xml_node element, bool after_run);

  DocumentModel& doc_;
  std::string prefix_ = "w";
  std::vector<std::weak_ptr<Span>> live_;
  std::shared_ptr<Span> selection_;
  // The story's last paragraph made for an edit. It is not part of the
  // document while nothing is in it: it goes again when left bare.
  pugi::xml_node story_end_;
  std::optional<Layout> walked_;
  static constexpr size_t kWhole = static_cast<size_t>(-1);
  // The first top-level element to walk again with all after it; kWhole
  // while none.
  size_t resume_ = kWhole;
  // Top-level elements changed within themselves, walked again alone while
  // they keep their place and their length.
  std::set<size_t> dirty_;
  // The same for the edit under way.
  size_t pending_resume_ = kWhole;
  std::set<size_t> pending_dirty_;
  bool touched_ = false;
  // Walks element k of the tops again by itself; false when the elements
  // around it or its length changed.
  bool Rewalk(Layout& l, size_t k, pugi::xml_node body);
};

// Word's Range over a tracked span of one document's body.
class Range : public host::DispatchObject {
 public:
  Range(std::shared_ptr<DocumentModel> doc, std::shared_ptr<Span> span, std::shared_ptr<host::FaultPlan> faults);
  DocumentModel& document() { return *doc_; }
  Span& span() { return *span_; }

 private:
  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<Span> span_;
};

// Document.Tables.
host::ObjectPtr MakeTables(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults);
// Document.Bookmarks; select activates the document in its application.
host::ObjectPtr MakeBookmarks(std::shared_ptr<DocumentModel> doc, std::function<void()> activate,
                              std::shared_ptr<host::FaultPlan> faults);
// Document.Range(Start, End) with either bound optional.
host::ObjectPtr MakeRange(const std::shared_ptr<DocumentModel>& doc, const host::Args& args,
                          const std::shared_ptr<host::FaultPlan>& faults);
// Selection.Range: a new range at the document's selection.
host::ObjectPtr MakeSelectionRange(const std::shared_ptr<DocumentModel>& doc,
                                   const std::shared_ptr<host::FaultPlan>& faults);

}  // namespace tarnwell::engine
