#include "engine/word_units.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "engine/builtin_styles.h"
#include "host/value.h"

namespace tarnwell::engine {

namespace {

constexpr EnumToken kUnderlineRows[] = {
    {"none", 0},         {"single", 1},      {"words", 2},           {"double", 3},
    {"dotted", 4},       {"thick", 6},       {"dash", 7},            {"dotDash", 9},
    {"dotDotDash", 10},  {"wave", 11},       {"dottedHeavy", 20},    {"dashedHeavy", 23},
    {"dashDotHeavy", 25}, {"dashDotDotHeavy", 26}, {"wavyHeavy", 27}, {"dashLong", 39},
    {"wavyDouble", 43},  {"dashLongHeavy", 55}};

constexpr EnumToken kAnimationRows[] = {{"none", 0},      {"lights", 1},    {"blinkBackground", 2},
                                        {"sparkle", 3},   {"antsBlack", 4}, {"antsRed", 5},
                                        {"shimmer", 6}};

// "thick" and the art borders have no number of their own: Word shows them
// as a single line.
constexpr EnumToken kLineStyleRows[] = {
    {"none", 0},
    {"nil", 0},
    {"single", 1},
    {"dotted", 2},
    {"dashSmallGap", 3},
    {"dashed", 4},
    {"dotDash", 5},
    {"dotDotDash", 6},
    {"double", 7},
    {"triple", 8},
    {"thinThickSmallGap", 9},
    {"thickThinSmallGap", 10},
    {"thinThickThinSmallGap", 11},
    {"thinThickMediumGap", 12},
    {"thickThinMediumGap", 13},
    {"thinThickThinMediumGap", 14},
    {"thinThickLargeGap", 15},
    {"thickThinLargeGap", 16},
    {"thinThickThinLargeGap", 17},
    {"wave", 18},
    {"doubleWave", 19},
    {"dashDotStroked", 20},
    {"threeDEmboss", 21},
    {"threeDEngrave", 22},
    {"outset", 23},
    {"inset", 24},
    {"thick", 1}};

constexpr EnumToken kTextureRows[] = {
    {"clear", 0},    {"nil", 0},      {"solid", 1000}, {"pct5", 50},    {"pct10", 100},  {"pct12", 125},
    {"pct15", 150},  {"pct20", 200},  {"pct25", 250},  {"pct30", 300},  {"pct35", 350},  {"pct37", 375},
    {"pct40", 400},  {"pct45", 450},  {"pct50", 500},  {"pct55", 550},  {"pct60", 600},  {"pct62", 625},
    {"pct65", 650},  {"pct70", 700},  {"pct75", 750},  {"pct80", 800},  {"pct85", 850},  {"pct87", 875},
    {"pct90", 900},  {"pct95", 950},  {"horzStripe", -1}, {"vertStripe", -2}, {"reverseDiagStripe", -3},
    {"diagStripe", -4}, {"horzCross", -5}, {"diagCross", -6}, {"thinHorzStripe", -7}, {"thinVertStripe", -8},
    {"thinReverseDiagStripe", -9}, {"thinDiagStripe", -10}, {"thinHorzCross", -11}, {"thinDiagCross", -12}};

constexpr EnumToken kParagraphAlignRows[] = {{"left", 0},         {"start", 0},         {"center", 1},
                                             {"right", 2},        {"end", 2},           {"both", 3},
                                             {"distribute", 4},   {"mediumKashida", 5}, {"highKashida", 7},
                                             {"lowKashida", 8},   {"thaiDistribute", 9}};

constexpr EnumToken kRowAlignRows[] = {{"left", 0}, {"start", 0}, {"center", 1}, {"right", 2}, {"end", 2}};

constexpr EnumToken kTabAlignRows[] = {{"left", 0},    {"start", 0}, {"center", 1}, {"right", 2},
                                       {"end", 2},     {"decimal", 3}, {"bar", 4},  {"num", 6}};

constexpr EnumToken kTabLeaderRows[] = {{"none", 0},  {"dot", 1},   {"hyphen", 2},
                                        {"underscore", 3}, {"heavy", 4}, {"middleDot", 5}};

constexpr EnumToken kLanguageRows[] = {
    {"x-none", 0},    {"en-US", 1033}, {"en-GB", 2057}, {"en-AU", 3081}, {"en-CA", 4105}, {"en-NZ", 5129},
    {"en-IE", 6153},  {"en-ZA", 7177}, {"de-DE", 1031}, {"de-AT", 3079}, {"de-CH", 2055}, {"de-LU", 4103},
    {"de-LI", 5127},  {"fr-FR", 1036}, {"fr-BE", 2060}, {"fr-CA", 3084}, {"fr-CH", 4108}, {"fr-LU", 5132},
    {"it-IT", 1040},  {"it-CH", 2064}, {"es-ES", 3082}, {"es-MX", 2058}, {"nl-NL", 1043}, {"nl-BE", 2067},
    {"pt-BR", 1046},  {"pt-PT", 2070}, {"da-DK", 1030}, {"sv-SE", 1053}, {"nb-NO", 1044}, {"nn-NO", 2068},
    {"fi-FI", 1035},  {"is-IS", 1039}, {"pl-PL", 1045}, {"cs-CZ", 1029}, {"sk-SK", 1051}, {"hu-HU", 1038},
    {"sl-SI", 1060},  {"hr-HR", 1050}, {"ro-RO", 1048}, {"bg-BG", 1026}, {"ru-RU", 1049}, {"uk-UA", 1058},
    {"el-GR", 1032},  {"tr-TR", 1055}, {"et-EE", 1061}, {"lv-LV", 1062}, {"lt-LT", 1063}, {"he-IL", 1037},
    {"ar-SA", 1025},  {"ja-JP", 1041}, {"zh-CN", 2052}, {"zh-TW", 1028}, {"zh-HK", 3076}, {"ko-KR", 1042},
    {"th-TH", 1054},  {"vi-VN", 1066}, {"hi-IN", 1081}, {"id-ID", 1057}, {"ca-ES", 1027}, {"eu-ES", 1069},
    {"gl-ES", 1110}};

// WdColorIndex 1 to 16 in order.
constexpr const char* kPalette[] = {"000000", "0000FF", "00FFFF", "00FF00", "FF00FF", "FF0000",
                                    "FFFF00", "FFFFFF", "000080", "008080", "008000", "800080",
                                    "800000", "808000", "808080", "C0C0C0"};

constexpr int32_t kLineWidths[] = {2, 4, 6, 8, 12, 18, 24, 36, 48};

double Number(std::string_view v) {
  double d = 0;
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  std::from_chars(v.data(), v.data() + v.size(), d);
  return d;
}

std::string Whole(double d) { return std::to_string(static_cast<long long>(std::llround(d))); }

}  // namespace

const EnumTable kUnderline = kUnderlineRows;
const EnumTable kAnimation = kAnimationRows;
const EnumTable kLineStyle = kLineStyleRows;
const EnumTable kTexture = kTextureRows;
const EnumTable kParagraphAlign = kParagraphAlignRows;
const EnumTable kRowAlign = kRowAlignRows;
const EnumTable kTabAlign = kTabAlignRows;
const EnumTable kTabLeader = kTabLeaderRows;
const EnumTable kLanguage = kLanguageRows;

int32_t EnumNumber(EnumTable table, std::string_view token, int32_t fallback) {
  // Files written by hand vary the case of language tags.
  std::string lower = Lower(token);
  for (const auto& row : table) {
    if (Lower(row.token) == lower) return row.number;
  }
  return fallback;
}

std::optional<std::string_view> EnumTokenFor(EnumTable table, int32_t number) {
  for (const auto& row : table) {
    if (row.number == number) return row.token;
  }
  return std::nullopt;
}

int32_t ColorNumber(std::string_view hex) {
  if (hex.size() != 6) return kColorAutomatic;  // "auto", or nothing Word can show
  unsigned rgb = 0;
  auto [p, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), rgb, 16);
  if (ec != std::errc() || p != hex.data() + hex.size()) return kColorAutomatic;
  unsigned r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  return static_cast<int32_t>(b << 16 | g << 8 | r);
}

std::optional<std::string> ColorHex(int32_t bgr) {
  if (bgr == kColorAutomatic) return std::string("auto");
  if (bgr < 0 || bgr > 0xFFFFFF) return std::nullopt;
  char out[8];
  std::snprintf(out, sizeof out, "%02X%02X%02X", bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF);
  return std::string(out);
}

int32_t ColorIndexOf(std::string_view hex) {
  int32_t bgr = ColorNumber(hex);
  if (bgr == kColorAutomatic) return 0;
  for (int32_t i = 0; i < 16; ++i) {
    if (ColorNumber(kPalette[i]) == bgr) return i + 1;
  }
  return host::kUndefined;
}

std::optional<std::string> ColorIndexHex(int32_t index) {
  if (index == 0) return std::string("auto");
  if (index < 1 || index > 16) return std::nullopt;
  return std::string(kPalette[index - 1]);
}

int32_t LineWidthOf(int32_t eighths) {
  int32_t best = kLineWidths[0];
  for (int32_t w : kLineWidths) {
    if (w <= eighths) best = w;
  }
  return best;
}

bool IsLineWidth(int32_t value) {
  for (int32_t w : kLineWidths) {
    if (w == value) return true;
  }
  return false;
}

LineSpacing LineSpacingOf(std::string_view line, std::string_view line_rule) {
  if (line.empty()) return {0, 12.0};
  double twips = Number(line);
  if (line_rule == "exact") return {4, twips / 20};
  if (line_rule == "atLeast") return {3, twips / 20};
  // "auto": 240ths of a line, which Word shows in points of a 12-point line.
  int32_t rule = twips == 240 ? 0 : twips == 360 ? 1 : twips == 480 ? 2 : 5;
  return {rule, twips / 20};
}

std::pair<std::string, std::string> LineSpacingXml(int32_t rule, double points) {
  switch (rule) {
    case 0: return {"240", "auto"};
    case 1: return {"360", "auto"};
    case 2: return {"480", "auto"};
    case 3: return {ToTwips(points), "atLeast"};
    case 4: return {ToTwips(points), "exact"};
    default: return {ToTwips(points), "auto"};
  }
}

double FromTwips(std::string_view v) { return Number(v) / 20; }
std::string ToTwips(double points) { return Whole(points * 20); }
double FromHalfPoints(std::string_view v) { return Number(v) / 2; }
std::string ToHalfPoints(double points) { return Whole(points * 2); }
double FromHundredths(std::string_view v) { return Number(v) / 100; }
std::string ToHundredths(double units) { return Whole(units * 100); }

bool OnOffValue(std::string_view val, bool absent) {
  if (val.empty()) return absent;
  return val == "1" || val == "true" || val == "on";
}

}  // namespace tarnwell::engine
