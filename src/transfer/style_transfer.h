#pragma once
// The slow copy's property transfers: each reads a formatting property of
// the source style as Word shows it and sets it on the target style of the
// same name, one Word call at a time.

#include <functional>
#include <span>
#include <string_view>

#include "host/word.h"
#include "support/errors.h"

namespace tarnwell::transfer {

struct TransferContext;

// The two profiles of the paragraph and character transfers.
enum class Profile { Word2000, WordXP };

// What a routine does with Word's 5834 (a style the target lacks).
enum class On5834 { SkipStep, WarnAndGoOn, Stop, Propagate };

// Runs a routine's steps under its error policy. After a step has stopped
// the routine, later steps do nothing, so a routine reads as its list of
// steps. With Propagate nothing is caught.
class Steps {
 public:
  explicit Steps(On5834 policy, std::function<void()> warn = {}) : policy_(policy), warn_(std::move(warn)) {}
  // False once the routine has stopped.
  bool operator()(const std::function<void()>& step);
  const support::ErrInfo& result() const { return result_; }

 private:
  On5834 policy_;
  std::function<void()> warn_;
  support::ErrInfo result_;
  bool stopped_ = false;
};

// One object of the source and the same object of the target.
struct Pair {
  host::ObjectPtr from, to;
};

// The member of both sides (Font, Shading, Borders(-1) ...), fetched in one step.
Pair SubPair(Steps& steps, const Pair& p, std::string_view member, const host::Args& args = {});
// Copies each named property from one side to the other, a step each.
void CopyProps(Steps& steps, const Pair& p, std::span<const std::string_view> names);

support::ErrInfo fncTransferParagraphStyle(const TransferContext& ctx, const host::Style& source,
                                           const host::Style& target, const host::Document& sourceDoc,
                                           Profile profile);
// Profile 00 catches nothing: Word's errors reach the caller.
support::ErrInfo fncTransferCharacterStyle(const host::Style& source, const host::Style& target,
                                           const host::Document& sourceDoc, Profile profile);
support::ErrInfo fncTransferListStyle(const host::Style& source, const host::Style& target);
// The table style with its conditional areas; ctx flushes the target
// document between groups of areas and at the end.
support::ErrInfo fncTransferTableStyle(const TransferContext& ctx, const host::Document& targetDoc,
                                       const host::Style& source, const host::Style& target,
                                       const host::Document& sourceDoc);

}  // namespace tarnwell::transfer
