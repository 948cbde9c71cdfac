#include "numbering/activation.h"

#include "host/host_error.h"
#include "support/errors.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::numbering {

namespace {

// Word's numbers for what the pass asks of a range.
constexpr int32_t kWdParagraph = 4;
constexpr int32_t kWdCollapseEnd = 0;
constexpr int32_t kWdWithInTable = 12;

// One statement of the pass: a missing collection member (5941) is passed
// over and the pass goes on; any other error ends it.
template <class F>
void Statement(F&& f) {
  try {
    f();
  } catch (const host::HostError& e) {
    if (e.number() != host::kErrNoSuchCollectionMember) throw;
  }
}

}  // namespace

bool fncActivateStyles(platform::Platform& platform, host::Document& docDoc,
                       const std::function<void(int32_t)>& wait_seconds) {
  host::ObjectPtr range;
  host::ObjectPtr table;
  bool scratch_made = false;
  try {
    bool saved = true;
    Statement([&] { saved = docDoc.Saved(); });
    Statement([&] { docDoc.ActiveWindow().Activate(); });

    // The scratch range: a new paragraph at the end of the document. No
    // failure here is passed over: every later step would land on the
    // user's own last paragraph.
    range = docDoc.ref().call("Range").as_object();
    host::deref(range).call("InsertParagraphAfter");
    scratch_made = true;
    host::deref(range).call("MoveEnd", {kWdParagraph, 1});
    host::deref(range).call("Collapse", {kWdCollapseEnd});

    std::vector<host::Style> styles;
    Statement([&] { styles = docDoc.GetStyles().all(); });
    for (const auto& style : styles) {
      bool has_list_template = false;
      Statement([&] { has_list_template = style.ref().get("ListTemplate").as_object() != nullptr; });
      Statement([&] {
        // One scratch table serves every table style.
        if (style.Type() == host::StyleType::Table &&
            !host::deref(range).call("Information", {kWdWithInTable}).as_bool()) {
          table = host::deref(docDoc.ref().get("Tables").as_object()).call("Add", {host::Value(range), 1, 1}).as_object();
        }
      });
      Statement([&] { host::deref(range).put("Style", style.NameLocal()); });
      Statement([&] {
        if (!has_list_template) style.ref().call("LinkToListTemplate", {host::Value(host::ObjectPtr())});
      });
      Statement([&] { docDoc.UndoClear(); });
    }

    Statement([&] {
      if (table) host::deref(table).call("Delete");
      table = nullptr;
    });
    Statement([&] { host::deref(range).call("MoveEnd", {kWdParagraph, 1}); });
    Statement([&] {
      host::deref(range).call("Delete");
      scratch_made = false;
    });
    Statement([&] { docDoc.UndoClear(); });
    Statement([&] { docDoc.SetSaved(saved); });
    wait_seconds(1);
    return true;
  } catch (const host::HostError& e) {
    support::ErrInfo err = support::ErrInfo::From(e);
    // The scratch table would stay in the user's document; it goes first.
    if (table) support::SkipErrors([&] { table->call("Delete"); });
    // Then the scratch paragraph, taken whole as on the normal path; a
    // failure on the way deletes nothing, since the range may still span
    // the user's text.
    if (scratch_made) {
      support::SkipErrors([&] {
        range->call("Collapse", {kWdCollapseEnd});
        range->call("MoveEnd", {kWdParagraph, 1});
        range->call("Delete");
      });
    }
    support::fncShowErrorMsg(platform.ui, "", err);
    return false;
  }
}

}  // namespace tarnwell::numbering
