#pragma once
// The property lists of the slow copy and the orders they are copied in.
// Word fixes what each routine copies and in which order; keeping the lists
// as data lets one helper copy every one of them.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnwell::transfer {

using Names = std::span<const std::string_view>;

// The 23 font properties in three orders: A (paragraph XP/03, list, table),
// B (character XP/03), C (paragraph and character 00).
inline constexpr std::array<std::string_view, 23> kFontOrderA = {
    "Name",    "Size",      "Bold",        "Italic",    "Color",    "Underline", "UnderlineColor", "StrikeThrough",
    "DoubleStrikeThrough", "Outline", "Emboss", "Shadow", "Hidden", "SmallCaps", "AllCaps", "Engrave",
    "Superscript", "Subscript", "Spacing", "Scaling", "Position", "Kerning", "Animation"};
inline constexpr std::array<std::string_view, 23> kFontOrderB = {
    "Name",    "Size",      "Bold",        "Italic",    "Color",    "Underline", "UnderlineColor", "StrikeThrough",
    "DoubleStrikeThrough", "Outline", "Emboss", "Engrave", "SmallCaps", "AllCaps", "Shadow", "Hidden",
    "Superscript", "Subscript", "Spacing", "Scaling", "Position", "Kerning", "Animation"};
inline constexpr std::array<std::string_view, 23> kFontOrderC = {
    "Name",    "Size",      "Bold",        "Italic",    "Underline", "UnderlineColor", "StrikeThrough",
    "DoubleStrikeThrough", "Outline", "Emboss", "Shadow", "Hidden", "SmallCaps", "AllCaps", "Color", "Engrave",
    "Superscript", "Subscript", "Spacing", "Scaling", "Position", "Kerning", "Animation"};

// Paragraph format, order XP/03 (tab stops follow). The rule alone would
// leave "exactly 18 pt" as exactly whatever the target had, so the measure
// follows the rule it is measured in.
inline constexpr std::array<std::string_view, 22> kParagraphOrderXP = {
    "LeftIndent",      "RightIndent",   "SpaceBefore",   "SpaceBeforeAuto",         "SpaceAfter",
    "SpaceAfterAuto",  "LineSpacingRule", "LineSpacing", "Alignment",   "WidowControl",            "KeepWithNext",
    "KeepTogether",    "PageBreakBefore", "NoLineNumber", "Hyphenation",            "FirstLineIndent",
    "OutlineLevel",    "CharacterUnitLeftIndent", "CharacterUnitRightIndent", "CharacterUnitFirstLineIndent",
    "LineUnitBefore",  "LineUnitAfter"};
// Order 00: 17 properties, the tab stops, then the character and line units.
inline constexpr std::array<std::string_view, 17> kParagraphOrder00Head = {
    "Alignment",    "FirstLineIndent", "Hyphenation",  "KeepTogether",    "KeepWithNext", "LeftIndent",
    "LineSpacing",  "LineSpacingRule", "NoLineNumber", "OutlineLevel",    "PageBreakBefore", "RightIndent",
    "SpaceAfter",   "SpaceAfterAuto",  "SpaceBefore",  "SpaceBeforeAuto", "WidowControl"};
inline constexpr std::array<std::string_view, 5> kParagraphOrder00Tail = {
    "CharacterUnitLeftIndent", "CharacterUnitRightIndent", "CharacterUnitFirstLineIndent", "LineUnitBefore",
    "LineUnitAfter"};

// Paragraph and character shading by colour index; table shading by colour.
inline constexpr std::array<std::string_view, 3> kShadingIndexProps = {"Texture", "ForegroundPatternColorIndex",
                                                                       "BackgroundPatternColorIndex"};
inline constexpr std::array<std::string_view, 3> kShadingColorProps = {"Texture", "ForegroundPatternColor",
                                                                       "BackgroundPatternColor"};
inline constexpr std::array<std::string_view, 3> kBorderProps = {"LineStyle", "LineWidth", "Color"};
inline constexpr std::array<std::string_view, 1> kBorderLineStyle = {"LineStyle"};
inline constexpr std::array<std::string_view, 5> kBordersProps = {"DistanceFromTop", "DistanceFromLeft",
                                                                  "DistanceFromBottom", "DistanceFromRight",
                                                                  "Shadow"};
inline constexpr std::array<std::string_view, 1> kBordersShadow = {"Shadow"};

// Border sides by Word's border-type codes: left, right, top, bottom, then
// horizontal and vertical where a table has them.
inline constexpr std::array<int32_t, 4> kParagraphSides = {-2, -4, -1, -3};
inline constexpr std::array<int32_t, 6> kTableSides = {-2, -4, -1, -3, -5, -6};
inline constexpr std::array<int32_t, 5> kConditionSides = {-2, -4, -1, -3, -6};

// A table style's table-wide properties and each conditional area's paddings.
inline constexpr std::array<std::string_view, 12> kTableProps = {
    "TableDirection", "TopPadding",   "BottomPadding",        "LeftPadding", "RightPadding", "Alignment",
    "Spacing",        "AllowPageBreaks", "AllowBreakAcrossPage", "LeftIndent", "RowStripe",  "ColumnStripe"};
inline constexpr std::array<std::string_view, 4> kPaddingProps = {"TopPadding", "BottomPadding", "LeftPadding",
                                                                  "RightPadding"};

// Conditional areas by Word's condition codes, in the order visited; the
// buffers are flushed after the third and the eighth.
inline constexpr std::array<int32_t, 12> kConditionOrder = {0, 1, 4, 5, 6, 7, 2, 3, 8, 9, 10, 11};
inline constexpr std::array<size_t, 2> kFlushAfterVisit = {3, 8};

}  // namespace tarnwell::transfer
