#pragma once
// Word's units and enumerations against the tokens and numbers of
// WordprocessingML: what a formatting property reads as through Word's
// object model and what it writes back into the XML.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnwell::engine {

// wdColorAutomatic, what Word reads for "auto".
inline constexpr int32_t kColorAutomatic = -16777216;
// Word's "Value out of range", raised by a put Word refuses.
inline constexpr int32_t kErrValueOutOfRange = 4608;

// One token of the XML and the number Word's enumeration gives it. The first
// row of a number is the token written for it.
struct EnumToken {
  std::string_view token;
  int32_t number;
};
using EnumTable = std::span<const EnumToken>;

// The number for a token; fallback for a token the table lacks.
int32_t EnumNumber(EnumTable table, std::string_view token, int32_t fallback);
// The token for a number; nothing when Word's enumeration has no such value.
std::optional<std::string_view> EnumTokenFor(EnumTable table, int32_t number);

extern const EnumTable kUnderline;        // w:u/@w:val, WdUnderline
extern const EnumTable kAnimation;        // w:effect, WdAnimation
extern const EnumTable kLineStyle;        // border @w:val, WdLineStyle
extern const EnumTable kTexture;          // w:shd/@w:val, WdTextureIndex
extern const EnumTable kParagraphAlign;   // w:jc in paragraphs, WdParagraphAlignment
extern const EnumTable kRowAlign;         // w:jc in tables, WdRowAlignment
extern const EnumTable kTabAlign;         // w:tab/@w:val, WdTabAlignment
extern const EnumTable kTabLeader;        // w:tab/@w:leader, WdTabLeader
extern const EnumTable kLanguage;         // w:lang/@w:val, WdLanguageID

// Colours: Word's BGR numbers against RRGGBB or "auto".
int32_t ColorNumber(std::string_view hex);
// The XML form; nothing for a number that is no colour.
std::optional<std::string> ColorHex(int32_t bgr);
// WdColorIndex of a colour: 0 for automatic, 9999999 for one off the palette.
int32_t ColorIndexOf(std::string_view hex);
// The XML form of a WdColorIndex; nothing for a number off the palette.
std::optional<std::string> ColorIndexHex(int32_t index);

// Border widths in eighths of a point, snapped to Word's WdLineWidth values
// (2, 4, 6, 8, 12, 18, 24, 36, 48) as Word shows them.
int32_t LineWidthOf(int32_t eighths);
bool IsLineWidth(int32_t value);

// Line spacing: the rule (WdLineSpacing) and points Word reads from
// w:spacing's line and lineRule, and what it writes for them.
struct LineSpacing {
  int32_t rule;
  double points;
};
LineSpacing LineSpacingOf(std::string_view line, std::string_view line_rule);
// The line and lineRule attributes for a rule, keeping the points where the
// rule takes a measure (at least, exactly, multiple).
std::pair<std::string, std::string> LineSpacingXml(int32_t rule, double points);

// Lengths: twentieths of a point ("twips"), half-points and hundredths
// (character and line units), each to points or units and back.
double FromTwips(std::string_view v);
std::string ToTwips(double points);
double FromHalfPoints(std::string_view v);
std::string ToHalfPoints(double points);
double FromHundredths(std::string_view v);
std::string ToHundredths(double units);

// WordprocessingML's on/off values: absent val, "1", "true", "on" are on.
bool OnOffValue(std::string_view val, bool absent);

}  // namespace tarnwell::engine
