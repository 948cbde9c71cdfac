#include "transfer/style_transfer.h"

#include "engine/test_support.h"
#include "host/collection.h"
#include "platform/fakes.h"
#include "transfer/single_style.h"

namespace tarnwell::transfer {
namespace {

using engine::testing::ErrorOf;
using host::Value;

// Styles of both documents: Quote and Plain paragraph styles, Mark a
// character style, Mono a list style, Grid a table style.
constexpr const char* kSource =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
    "<w:basedOn w:val=\"Quote\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:name w:val=\"Quote\"/><w:basedOn w:val=\"Plain\"/>"
    "<w:next w:val=\"Mark\"/><w:pPr><w:tabs><w:tab w:val=\"num\" w:pos=\"360\"/>"
    "<w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"4320\"/></w:tabs>"
    "<w:spacing w:line=\"360\" w:lineRule=\"exact\"/></w:pPr><w:rPr><w:b/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Plain\"><w:name w:val=\"Plain\"/></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Mark\"><w:name w:val=\"Mark\"/><w:basedOn w:val=\"Plain\"/>"
    "<w:rPr><w:i/><w:bdr w:val=\"none\" w:sz=\"12\" w:color=\"FF0000\"/></w:rPr></w:style>"
    "<w:style w:type=\"numbering\" w:styleId=\"Mono\"><w:name w:val=\"Mono\"/><w:pPr><w:ind w:left=\"720\"/>"
    "</w:pPr><w:rPr><w:b/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/><w:basedOn w:val=\"Plain\"/>"
    "<w:tblPr><w:tblBorders><w:insideH w:val=\"single\"/></w:tblBorders></w:tblPr>"
    "<w:tblStylePr w:type=\"band2Horz\"><w:rPr><w:b/></w:rPr></w:tblStylePr>"
    "<w:tblStylePr w:type=\"neCell\"><w:rPr><w:b/></w:rPr></w:tblStylePr></w:style>";

// The target lacks Plain; its Quote has a stop of its own.
constexpr const char* kTarget =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:name w:val=\"Quote\"/><w:pPr><w:tabs>"
    "<w:tab w:val=\"left\" w:pos=\"100\"/></w:tabs></w:pPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Mark\"><w:name w:val=\"Mark\"/></w:style>"
    "<w:style w:type=\"numbering\" w:styleId=\"Mono\"><w:name w:val=\"Mono\"/></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/></w:style>";

// A source whose tab stops have leaders Word 2000 never knew.
class LeaderSix : public host::Object {
 public:
  explicit LeaderSix(host::ObjectPtr inner) : inner_(std::move(inner)) {}
  Value get(std::string_view name, const host::Args& args) override { return Wrap(name, inner_->get(name, args)); }
  void put(std::string_view name, const Value& v, const host::Args& args) override { inner_->put(name, v, args); }
  Value call(std::string_view name, const host::Args& args) override { return Wrap(name, inner_->call(name, args)); }

 private:
  Value Wrap(std::string_view name, Value v) {
    if (name == "Leader") return Value(6);
    if (v.is_object()) return Value(host::ObjectPtr(std::make_shared<LeaderSix>(v.as_object())));
    return v;
  }
  host::ObjectPtr inner_;
};

class StyleTransferTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    source_ = Word().GetDocuments().Open(WriteWithStyles("s.docx", kSource));
    target_ = Word().GetDocuments().Open(WriteWithStyles("t.docx", kTarget));
  }
  host::Style From(const std::string& name) { return source_.GetStyles().Item(name); }
  host::Style To(const std::string& name) { return target_.GetStyles().Item(name); }
  Value Read(const std::string& style, std::string_view object, std::string_view member) {
    auto o = To(style).obj();
    if (!object.empty()) o = o->get(object).as_object();
    return o->get(member);
  }
  TransferContext Context() {
    return TransferContext{platform_, Word(), nullptr, nullptr,
                           [this](const host::Document& d) { flushes_.push_back(d.Name()); }, nullptr, nullptr};
  }
  support::ErrInfo Paragraph(const std::string& name, Profile profile) {
    return fncTransferParagraphStyle(Context(), From(name), To(name), source_, profile);
  }

  host::Document source_, target_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
  std::vector<std::string> flushes_;
};

TEST_F(StyleTransferTest, CharacterAndListStylesStopOrPropagateOnAMissingBaseAndParagraphStylesCopyInBothProfiles) {
  // Mark is based on a paragraph style: its copy rests on Default Paragraph Font.
  EXPECT_EQ(fncTransferCharacterStyle(From("Mark"), To("Mark"), source_, Profile::WordXP).number, 0);
  EXPECT_EQ(To("Mark").BaseStyle(), "Default Paragraph Font");
  EXPECT_EQ(Read("Mark", "Font", "Italic"), Value(-1));
  // A border without a line takes its colour, not its width.
  auto border = To("Mark").obj()->get("Font").as_object()->get("Borders", {1}).as_object();
  EXPECT_EQ(border->get("LineStyle"), Value(0));
  EXPECT_EQ(border->get("LineWidth"), Value(4));
  EXPECT_EQ(border->get("Color"), Value(0x0000FF));

  // A base the target lacks: XP/03 stops with 5834, Word 2000's routine lets it through.
  source_.GetStyles().Add("Extra", host::StyleType::Character);
  auto sub = source_.GetStyles().Add("Sub Mark", host::StyleType::Character);
  sub.SetBaseStyle("Extra");
  sub.obj()->get("Font").as_object()->put("Italic", -1);
  target_.GetStyles().Add("Sub Mark", host::StyleType::Character);
  auto run = [&](Profile p) { return fncTransferCharacterStyle(From("Sub Mark"), To("Sub Mark"), source_, p); };
  EXPECT_EQ(run(Profile::WordXP).number, host::kErrNoSuchStyle);
  EXPECT_EQ(Read("Sub Mark", "Font", "Italic"), Value(0)) << "nothing after the failed step";
  EXPECT_EQ(ErrorOf([&] { run(Profile::Word2000); }), host::kErrNoSuchStyle);

  EXPECT_EQ(fncTransferListStyle(From("Mono"), To("Mono")).number, 0);
  EXPECT_EQ(Read("Mono", "Font", "Bold"), Value(-1));
  EXPECT_EQ(Read("Mono", "ParagraphFormat", "LeftIndent"), Value(0.0));
  // The list routine stops at a base the target lacks.
  EXPECT_EQ(fncTransferListStyle(From("Quote"), To("Quote")).number, host::kErrNoSuchStyle);
  EXPECT_EQ(Read("Quote", "Font", "Bold"), Value(0)) << "nothing after the failed step";

  for (Profile profile : {Profile::WordXP, Profile::Word2000}) {
    SCOPED_TRACE(profile == Profile::WordXP ? "XP" : "00");
    // Normal keeps its base; a base the target lacks is skipped or warned of.
    EXPECT_EQ(Paragraph("Normal", profile).number, 0);
    EXPECT_EQ(To("Normal").BaseStyle(), "");
    EXPECT_EQ(Paragraph("Quote", profile).number, 0);
    EXPECT_EQ(To("Quote").BaseStyle(), "") << "the base the target lacks stays as it was";
    EXPECT_EQ(To("Quote").NextParagraphStyle(), "Normal") << "a character style cannot follow";
    EXPECT_EQ(Read("Quote", "Font", "Bold"), Value(-1)) << "the transfer went on";
    // Only the custom stop travels; the target's own are cleared first.
    auto tabs = To("Quote").obj()->get("ParagraphFormat").as_object()->get("TabStops").as_object();
    ASSERT_EQ(host::count(*tabs), 1);
    EXPECT_EQ(host::item(*tabs, 1)->get("Position"), Value(216.0));
    EXPECT_EQ(host::item(*tabs, 1)->get("Leader"), Value(1));
    // The measure arrives with its rule, exactly 18 points.
    EXPECT_EQ(Read("Quote", "ParagraphFormat", "LineSpacingRule"), Value(4));
    EXPECT_EQ(Read("Quote", "ParagraphFormat", "LineSpacing"), Value(18.0));
  }
  // Only Word 2000's routine says so, once per missing style.
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].title, "Missing next paragraph style");
  EXPECT_EQ(fake_.ui.shown[0].text,
            "The next paragraph style for Quote is not in the target document.  You should copy that style over as "
            "well.");
  EXPECT_EQ(fake_.ui.shown[0].icon, platform::Icon::Exclamation);

  // Word 2000 turns leaders it never knew into spaces.
  host::Style patched(std::make_shared<LeaderSix>(From("Quote").obj()));
  EXPECT_EQ(fncTransferParagraphStyle(Context(), patched, To("Quote"), source_, Profile::Word2000).number, 0);
  auto tabs = To("Quote").obj()->get("ParagraphFormat").as_object()->get("TabStops").as_object();
  EXPECT_EQ(host::item(*tabs, 1)->get("Leader"), Value(0));
}

TEST_F(StyleTransferTest, TableStylesFlushBetweenAreaGroupsStopWhereWordFailsAndEachPolicyTakes5834ItsOwnWay) {
  auto table = [&] { return fncTransferTableStyle(Context(), target_, From("Grid"), To("Grid"), source_); };
  EXPECT_EQ(table().number, 0);
  EXPECT_EQ(To("Grid").BaseStyle(), "Table Normal") << "based on a paragraph style";
  EXPECT_EQ(flushes_.size(), 3u);
  auto area = [&](int code) {
    return To("Grid").obj()->get("Table").as_object()->call("Condition", {code}).as_object();
  };
  EXPECT_EQ(To("Grid").obj()->get("Table").as_object()->get("Borders", {-5}).as_object()->get("LineStyle"), Value(1));
  EXPECT_EQ(area(0)->get("Borders", {-5}).as_object()->get("LineStyle"), Value(0)) << "no area gets it";

  // Word fails in the ninth area (code 8): the first eight stay applied and
  // flushed twice; the rest and the last flush never come.
  target_ = Word().GetDocuments().Open(WriteWithStyles("t2.docx", kTarget));
  flushes_.clear();
  options_.faults->fail("ConditionalStyle.TopPadding", 17, host::kErrWordBuffersFull);
  EXPECT_EQ(table().number, host::kErrWordBuffersFull);
  EXPECT_EQ(flushes_.size(), 2u);
  EXPECT_EQ(area(3)->get("Font").as_object()->get("Bold"), Value(-1)) << "area 8 applied";
  EXPECT_EQ(area(8)->get("Font").as_object()->get("Bold"), Value(0)) << "area 9 untouched";

  auto fail = [](int32_t n) { return [n] { throw host::HostError(n, "x"); }; };
  int warned = 0;
  Steps skip(On5834::SkipStep), warn(On5834::WarnAndGoOn, [&] { ++warned; }), stop(On5834::Stop),
      propagate(On5834::Propagate);
  EXPECT_TRUE(skip(fail(host::kErrNoSuchStyle)));
  EXPECT_FALSE(skip(fail(7)));
  EXPECT_FALSE(skip([] {})) << "a stopped routine runs no more steps";
  EXPECT_EQ(skip.result().number, 7);
  EXPECT_TRUE(warn(fail(host::kErrNoSuchStyle)));
  EXPECT_EQ(warned, 1);
  EXPECT_FALSE(stop(fail(host::kErrNoSuchStyle)));
  EXPECT_EQ(stop.result().number, host::kErrNoSuchStyle);
  EXPECT_EQ(ErrorOf([&] { propagate(fail(host::kErrNoSuchStyle)); }), host::kErrNoSuchStyle);
}

}  // namespace
}  // namespace tarnwell::transfer
