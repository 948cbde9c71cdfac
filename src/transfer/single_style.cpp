#include "transfer/single_style.h"

#include "host/host_error.h"
#include "support/globals.h"
#include "transfer/style_transfer.h"

namespace tarnwell::transfer {

namespace {
// Word's organizer code for styles.
constexpr int32_t kOrganizerObjectStyles = 0;
}  // namespace

const std::vector<TransferSelection>& DefaultTransferRoutines() {
  using host::StyleType;
  auto paragraph = [](Profile profile) -> TransferRoutine {
    return [profile](const TransferContext& ctx, const host::Style& from, const host::Style& to,
                     const host::Document& fromDoc, const host::Document&) {
      return fncTransferParagraphStyle(ctx, from, to, fromDoc, profile);
    };
  };
  auto character = [](Profile profile) -> TransferRoutine {
    return [profile](const TransferContext&, const host::Style& from, const host::Style& to,
                     const host::Document& fromDoc, const host::Document&) {
      return fncTransferCharacterStyle(from, to, fromDoc, profile);
    };
  };
  TransferRoutine table = [](const TransferContext& ctx, const host::Style& from, const host::Style& to,
                             const host::Document& fromDoc, const host::Document& toDoc) {
    return fncTransferTableStyle(ctx, toDoc, from, to, fromDoc);
  };
  TransferRoutine list = [](const TransferContext&, const host::Style& from, const host::Style& to,
                            const host::Document&, const host::Document&) { return fncTransferListStyle(from, to); };
  // Paragraph and character styles have two profiles (00, and XP/03); other
  // labels ("97", "07") give them no transfer. Table and list styles are
  // transferred under every label.
  static const std::vector<TransferSelection> rows = {
      {StyleType::Paragraph, "00", paragraph(Profile::Word2000)},
      {StyleType::Paragraph, "XP", paragraph(Profile::WordXP)},
      {StyleType::Paragraph, "03", paragraph(Profile::WordXP)},
      {StyleType::Character, "00", character(Profile::Word2000)},
      {StyleType::Character, "XP", character(Profile::WordXP)},
      {StyleType::Character, "03", character(Profile::WordXP)},
      {StyleType::Table, "", table},
      {StyleType::List, "", list},
  };
  return rows;
}

TransferRoutine SelectTransferRoutine(const std::vector<TransferSelection>& table, host::StyleType type,
                                      const std::string& version) {
  for (const auto& row : table) {
    if (row.type == type && (row.version.empty() || row.version == version)) return row.routine;
  }
  return {};
}

void fncFastCopyStyle(const host::Application& app, const std::string& sourcePath, const std::string& scratchPath,
                      const std::string& targetPath, const std::string& name) {
  // Always through the scratch document, never straight from source to target.
  app.ref().call("OrganizerCopy", {sourcePath, scratchPath, name, kOrganizerObjectStyles});
  app.ref().call("OrganizerCopy", {scratchPath, targetPath, name, kOrganizerObjectStyles});
}

void fncEnsureStyle(const host::Document& source, const host::Document& target, const std::string& name) {
  for (const auto& style : target.GetStyles().all()) {
    if (style.NameLocal() == name) return;
  }
  host::StyleType type = source.GetStyles().Item(name).Type();
  try {
    target.GetStyles().Add(name, type);
  } catch (const host::HostError& e) {
    // A built-in Word reserves without listing it: it exists already.
    if (e.number() != host::kErrStyleNameInUse) throw;
  }
}

void fncTransferStyle(const TransferContext& ctx, const host::Document& source, const host::Document& target,
                      const std::string& name) {
  host::Style from = source.GetStyles().Item(name);
  host::Style to = target.GetStyles().Item(name);
  const auto& table = ctx.routines ? *ctx.routines : DefaultTransferRoutines();
  TransferRoutine routine = SelectTransferRoutine(table, from.Type(), support::gWordVersion);
  if (!routine) return;

  support::ErrInfo result = routine(ctx, from, to, source, target);
  if (result.number == host::kErrCommandFailed) throw host::HostError(result.number, result.description);
  if (result.number != 0) ctx.report_copy_error(from.NameLocal(), result.number, result.description);
  ctx.flush(source);
  ctx.flush(target);
}

}  // namespace tarnwell::transfer
