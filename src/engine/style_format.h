#pragma once
// The formatting objects of Word's object model (Font, ParagraphFormat,
// Shading, Borders, TabStops, a table style's Table and its conditions)
// over WordprocessingML property elements. They read as Word reads: the
// effective value, through whatever the formatting inherits from; and they
// write as Word writes: direct formatting on the element they belong to.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "host/object.h"

namespace tarnwell::engine {

class DocumentModel;
class Style;

// Where a formatting object's properties live. A group is the local name of
// a property element: rPr, pPr, tblPr, trPr or tcPr.
class FormatHome {
 public:
  virtual ~FormatHome() = default;
  // The group's elements that apply, nearest first: the owner's own, then
  // what it inherits (based-on styles, document defaults). Absent ones are
  // left out.
  virtual std::vector<pugi::xml_node> chain(std::string_view group) = 0;
  // The owner's own element of the group, made when missing.
  virtual pugi::xml_node own(std::string_view group) = 0;
  // The owner's element itself (a style's w:style), for properties on it.
  virtual pugi::xml_node owner() = 0;
  // Records a change the document's user would see.
  virtual void changed() = 0;
  // A qualified name in the part's prefix for the Word namespace.
  virtual std::string q(std::string_view local) const = 0;
  // The typeface a theme font reference (minorHAnsi, majorAscii ...) names;
  // "" when the document has no theme that says.
  virtual std::string theme_font(std::string_view ref) = 0;
  virtual std::shared_ptr<host::FaultPlan> faults() const = 0;
};

// Word's Font, ParagraphFormat and Shading over a home; usable by any owner
// of run or paragraph properties (styles, list levels).
host::ObjectPtr MakeFont(std::shared_ptr<FormatHome> home);
host::ObjectPtr MakeParagraphFormat(std::shared_ptr<FormatHome> home);

// The home of a style's own formatting, or of one of its conditional areas
// (condition: the w:tblStylePr type, "" for the style itself).
std::shared_ptr<FormatHome> StyleFormatHome(std::shared_ptr<Style> style, std::string condition = "");

// Word's TableStyle of a table style.
host::ObjectPtr MakeTableStyle(std::shared_ptr<Style> style);

// The style members for formatting (Font, ParagraphFormat, Table,
// AutomaticallyUpdate, NoSpaceBetweenParagraphsOfSameStyle, LanguageID,
// NoProofing), added to Style's member table.
void AddFormatMembers(host::DispatchObject::SharedTable& table);

}  // namespace tarnwell::engine
