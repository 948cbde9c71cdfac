#include "transfer/style_transfer.h"

#include <cmath>

#include "host/collection.h"
#include "host/host_error.h"
#include "transfer/property_lists.h"
#include "transfer/single_style.h"

namespace tarnwell::transfer {

using host::HostError;
using host::StyleType;
using host::Value;

bool Steps::operator()(const std::function<void()>& step) {
  if (stopped_) return false;
  if (policy_ == On5834::Propagate) {
    step();
    return true;
  }
  try {
    step();
    return true;
  } catch (const HostError& e) {
    if (e.number() == host::kErrNoSuchStyle && policy_ == On5834::SkipStep) return true;
    if (e.number() == host::kErrNoSuchStyle && policy_ == On5834::WarnAndGoOn) {
      if (warn_) warn_();
      return true;
    }
    result_ = support::ErrInfo::From(e);
    stopped_ = true;
    return false;
  }
}

Pair SubPair(Steps& steps, const Pair& p, std::string_view member, const host::Args& args) {
  Pair out;
  steps([&] {
    out.from = host::deref(p.from).get(member, args).as_object();
    out.to = host::deref(p.to).get(member, args).as_object();
  });
  return out;
}

void CopyProps(Steps& steps, const Pair& p, std::span<const std::string_view> names) {
  for (auto name : names) {
    steps([&] { host::deref(p.to).put(name, host::deref(p.from).get(name)); });
  }
}

namespace {

constexpr const char* kNormal = "Normal";
constexpr const char* kDefaultParagraphFont = "Default Paragraph Font";
constexpr const char* kTableNormal = "Table Normal";

// A style reference as Word hands it over: a name, a Style, or nothing.
std::string NameOf(const Value& v) {
  if (v.is_object()) return v.as_object() ? v.as_object()->get("NameLocal").as_string() : std::string();
  if (v.is_null() || v.is_empty()) return "";
  return v.as_string();
}

// The type of the source document's style of that name; 0 for no name.
int32_t TypeOf(const host::Document& doc, const std::string& name) {
  if (name.empty()) return 0;
  return static_cast<int32_t>(doc.GetStyles().Item(name).Type());
}

Pair Styles(const host::Style& source, const host::Style& target) { return {source.obj(), target.obj()}; }

// Tab stops one by one: only the custom ones travel.
void CopyCustomTabs(Steps& steps, const Pair& format, Profile profile) {
  Pair tabs = SubPair(steps, format, "TabStops");
  steps([&] {
    // Word 2000's routine clears only a list that has something in it.
    if (profile == Profile::WordXP || host::count(*tabs.to) >= 1) tabs.to->call("ClearAll");
  });
  int32_t n = 0;
  steps([&] { n = host::count(*tabs.from); });
  for (int32_t i = 1; i <= n; ++i) {
    steps([&] {
      host::ObjectPtr stop = host::item(*tabs.from, i);
      if (!stop->get("CustomTab").as_bool()) return;
      auto position = static_cast<double>(static_cast<float>(stop->get("Position").as_double()));
      Value alignment = stop->get("Alignment");
      Value leader = stop->get("Leader");
      // Word 2000 knows leaders up to 5 only.
      if (profile == Profile::Word2000 && leader.as_int() > 5) leader = 0;
      tabs.to->call("Add", {position, alignment, leader});
    });
  }
}

// Shading, the four sides and the collection's distances and shadow of a
// paragraph format.
void CopyParagraphFrame(Steps& steps, const Pair& format) {
  CopyProps(steps, SubPair(steps, format, "Shading"), kShadingIndexProps);
  Pair borders = SubPair(steps, format, "Borders");
  for (int32_t side : kParagraphSides) CopyProps(steps, SubPair(steps, borders, "Item", {side}), kBorderProps);
  CopyProps(steps, borders, kBordersProps);
}

// Steps 5a to 5f of the XP/03 paragraph transfer, shared with the list transfer.
void CopyParagraphBlockXP(Steps& steps, const Pair& styles) {
  CopyProps(steps, styles, std::array<std::string_view, 1>{"NoSpaceBetweenParagraphsOfSameStyle"});
  Pair format = SubPair(steps, styles, "ParagraphFormat");
  CopyProps(steps, format, kParagraphOrderXP);
  CopyCustomTabs(steps, format, Profile::WordXP);
  CopyParagraphFrame(steps, format);
}

// The paragraph format as the table transfer copies it: 21 properties, then
// the tab stops as a whole.
void CopyTableParagraphFormat(Steps& steps, const Pair& owner) {
  Pair format = SubPair(steps, owner, "ParagraphFormat");
  CopyProps(steps, format, kParagraphOrderXP);
  steps([&] { format.to->put("TabStops", format.from->get("TabStops")); });
}

void SetBaseUnlessNamed(Steps& steps, const host::Style& source, const host::Style& target, const char* keep) {
  steps([&] {
    if (target.NameLocal() != keep) target.SetBaseStyle(NameOf(source.ref().get("BaseStyle")));
  });
}

}  // namespace

support::ErrInfo fncTransferParagraphStyle(const TransferContext& ctx, const host::Style& source,
                                           const host::Style& target, const host::Document& sourceDoc,
                                           Profile profile) {
  const bool xp = profile == Profile::WordXP;
  Steps steps(xp ? On5834::SkipStep : On5834::WarnAndGoOn, [&] {
    ctx.platform.ui.MessageBox("Missing next paragraph style",
                               "The next paragraph style for " + target.NameLocal() +
                                   " is not in the target document.  You should copy that style over as well.",
                               platform::Icon::Exclamation, platform::Buttons::OK);
  });
  Pair styles = Styles(source, target);
  SetBaseUnlessNamed(steps, source, target, kNormal);
  steps([&] {
    std::string next = NameOf(source.ref().get("NextParagraphStyle"));
    if (next.empty()) next = kNormal;
    // Word 2000's routine leaves the next style alone when it would be Normal.
    if (!xp && next == kNormal) return;
    target.SetNextParagraphStyle(TypeOf(sourceDoc, next) != 1 ? std::string(kNormal) : next);
  });
  bool paragraph = true;
  if (xp) steps([&] { paragraph = target.Type() == StyleType::Paragraph; });
  if (paragraph) CopyProps(steps, styles, std::array<std::string_view, 1>{"AutomaticallyUpdate"});
  CopyProps(steps, SubPair(steps, styles, "Font"), xp ? std::span<const std::string_view>(kFontOrderA)
                                                         : std::span<const std::string_view>(kFontOrderC));
  if (xp) {
    if (paragraph) CopyParagraphBlockXP(steps, styles);
  } else {
    Pair format = SubPair(steps, styles, "ParagraphFormat");
    CopyProps(steps, format, kParagraphOrder00Head);
    CopyCustomTabs(steps, format, profile);
    CopyProps(steps, format, kParagraphOrder00Tail);
    CopyParagraphFrame(steps, format);
  }
  bool text = true;
  if (xp) steps([&] { text = source.Type() == StyleType::Paragraph || source.Type() == StyleType::Character; });
  if (text) CopyProps(steps, styles, std::array<std::string_view, 2>{"LanguageID", "NoProofing"});
  return steps.result();
}

support::ErrInfo fncTransferCharacterStyle(const host::Style& source, const host::Style& target,
                                           const host::Document& sourceDoc, Profile profile) {
  const bool xp = profile == Profile::WordXP;
  Steps steps(xp ? On5834::Stop : On5834::Propagate);
  Pair styles = Styles(source, target);
  steps([&] {
    if (target.NameLocal() == kDefaultParagraphFont) return;
    std::string base = NameOf(source.ref().get("BaseStyle"));
    target.SetBaseStyle(TypeOf(sourceDoc, base) != 2 ? std::string(kDefaultParagraphFont) : base);
  });
  Pair font = SubPair(steps, styles, "Font");
  CopyProps(steps, font, xp ? std::span<const std::string_view>(kFontOrderB)
                            : std::span<const std::string_view>(kFontOrderC));
  CopyProps(steps, SubPair(steps, font, "Shading"), kShadingIndexProps);
  Pair borders = SubPair(steps, font, "Borders");
  Pair border = SubPair(steps, borders, "Item", {1});
  CopyProps(steps, border, kBorderLineStyle);
  steps([&] {
    // A width on a border without a line would draw one.
    if (border.to->get("LineStyle").as_int() != 0) border.to->put("LineWidth", border.from->get("LineWidth"));
  });
  CopyProps(steps, border, std::array<std::string_view, 1>{"Color"});
  CopyProps(steps, borders, kBordersShadow);
  CopyProps(steps, styles, std::array<std::string_view, 1>{"LanguageID"});
  return steps.result();
}

support::ErrInfo fncTransferListStyle(const host::Style& source, const host::Style& target) {
  Steps steps(On5834::Stop);
  Pair styles = Styles(source, target);
  steps([&] { target.SetBaseStyle(NameOf(source.ref().get("BaseStyle"))); });
  steps([&] { target.SetNextParagraphStyle(NameOf(source.ref().get("NextParagraphStyle"))); });
  CopyProps(steps, SubPair(steps, styles, "Font"), kFontOrderA);
  bool paragraph = false;
  steps([&] { paragraph = target.Type() == StyleType::Paragraph; });
  if (paragraph) CopyParagraphBlockXP(steps, styles);
  return steps.result();
}

support::ErrInfo fncTransferTableStyle(const TransferContext& ctx, const host::Document& targetDoc,
                                       const host::Style& source, const host::Style& target,
                                       const host::Document& sourceDoc) {
  Steps steps(On5834::Stop);
  Pair styles = Styles(source, target);
  ctx.platform.clock.PumpMessages();
  steps([&] {
    std::string base = NameOf(source.ref().get("BaseStyle"));
    if (base.empty()) return;
    target.SetBaseStyle(TypeOf(sourceDoc, base) != 3 ? std::string(kTableNormal) : base);
  });
  CopyProps(steps, SubPair(steps, styles, "Font"), kFontOrderA);
  CopyProps(steps, styles, std::array<std::string_view, 1>{"NoSpaceBetweenParagraphsOfSameStyle"});
  CopyTableParagraphFormat(steps, styles);
  Pair table = SubPair(steps, styles, "Table");
  CopyProps(steps, table, kTableProps);
  CopyProps(steps, SubPair(steps, table, "Shading"), kShadingColorProps);
  Pair borders = SubPair(steps, table, "Borders");
  for (int32_t side : kTableSides) CopyProps(steps, SubPair(steps, borders, "Item", {side}), kBorderLineStyle);
  CopyProps(steps, borders, kBordersShadow);
  for (size_t visit = 1; visit <= kConditionOrder.size(); ++visit) {
    Pair area = SubPair(steps, table, "Condition", {kConditionOrder[visit - 1]});
    CopyProps(steps, area, kPaddingProps);
    CopyProps(steps, SubPair(steps, area, "Shading"), kShadingColorProps);
    Pair area_borders = SubPair(steps, area, "Borders");
    for (int32_t side : kConditionSides) {
      CopyProps(steps, SubPair(steps, area_borders, "Item", {side}), kBorderLineStyle);
    }
    CopyProps(steps, area_borders, kBordersShadow);
    CopyProps(steps, SubPair(steps, area, "Font"), kFontOrderA);
    CopyTableParagraphFormat(steps, area);
    for (size_t after : kFlushAfterVisit) {
      if (visit == after) steps([&] { ctx.flush_screen_off(targetDoc); });
    }
  }
  styles = {};
  steps([&] { ctx.flush_screen_off(targetDoc); });
  return steps.result();
}

}  // namespace tarnwell::transfer
