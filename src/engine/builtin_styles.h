#pragma once
// Word's built-in styles: the names it stores and shows, and the defaults a
// built-in style gets when a document first uses it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/fold.h"

namespace tarnwell::engine {

enum class StyleKind : int32_t { Paragraph = 1, Character = 2, Table = 3, List = 4 };

struct BuiltinStyle {
  std::string file_name;  // as Word writes it in w:name ("heading 1")
  std::string ui_name;    // as Word's English interface shows it ("Heading 1")
  std::string id;         // the styleId Word gives it ("Heading1")
  StyleKind kind = StyleKind::Paragraph;
  std::string based_on;   // file name of the base built-in, "" for none
  std::string next;       // file name of the next built-in, "" for itself
  int ui_priority = -1;   // -1: none written
  bool semi_hidden = false;
  bool unhide_when_used = false;
  bool q_format = false;
  bool is_default = false;  // one of the four defaults of its type
  // Formatting children written with the "w" prefix, without namespace
  // declarations: "<w:keepNext/>" ...
  std::string ppr, rpr, tblpr;
};

// In Word's own order: the first 106 follow Word's built-in style
// enumeration (wdStyleNormal = -1 is entry 0, wdStyleNormalTable = -106 is
// entry 105).
const std::vector<BuiltinStyle>& BuiltinStyles();

// The built-in a name stands for, matched without regard to case against
// both the stored and the shown name; nullptr when it is not built in.
const BuiltinStyle* FindBuiltin(std::string_view name);

// The built-in for one of Word's WdBuiltinStyle numbers (-1 .. -106).
const BuiltinStyle* BuiltinByNumber(int32_t number);

// How Word shows a style name: built-in names in Word's spelling, any
// other name exactly as written.
std::string DisplayName(std::string_view stored_name, bool custom);
// The same without a copy: a view of stored_name or of the built-in table.
std::string_view ShownName(std::string_view stored_name, bool custom);

// A style id made from a name: letters, digits, '-' and '_' and non-ASCII
// characters kept, everything else dropped; "Style" when nothing is left.
std::string IdFromName(std::string_view name);

using host::FoldAscii;
using host::FoldedEqual;
using host::FoldedHash;
// s with ASCII letters in lower case.
std::string Lower(std::string_view s);

// The w:style element Word writes when a document first uses a built-in,
// with the "w" prefix and no namespace declaration. Ids of the base and the
// next style are the document's; "" leaves that reference out.
std::string BuiltinStyleXml(const BuiltinStyle& b, const std::string& id, const std::string& based_on_id,
                            const std::string& next_id);

// w:latentStyles listing every built-in, as a blank document carries it.
std::string LatentStylesXml();

}  // namespace tarnwell::engine
