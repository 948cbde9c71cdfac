#include "engine/application.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <functional>
#include <unordered_map>

#include "engine/body.h"
#include "engine/commandbars.h"
#include "engine/list_templates.h"
#include "engine/numbering.h"
#include "engine/organizer.h"
#include "engine/styles.h"
#include "host/host_error.h"

namespace tarnwell::engine {

namespace fs = std::filesystem;
using host::Args;
using host::HostError;
using host::Value;

namespace {

std::string AbsolutePath(const std::string& path) {
  // The organizer names the same few files over and over; an absolute name
  // does not depend on the working folder, so its normal form is kept.
  static thread_local std::unordered_map<std::string, std::string> known;
  // Only absolute names are kept, so a name found needs no look at itself.
  if (auto it = known.find(path); it != known.end()) return it->second;
  fs::path p(path);
  if (!p.is_absolute()) return fs::absolute(p).lexically_normal().string();
  std::string normal = p.lexically_normal().string();
  if (known.size() > 256) known.clear();
  known.emplace(path, normal);
  return normal;
}

// Two names for the same file, even through links or "..".
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Word's Version: "11.0" for build "11.0.0".
std::string VersionOf(const std::string& build) {
  size_t first = build.find('.');
  if (first == std::string::npos) return build + ".0";
  size_t second = build.find('.', first + 1);
  return build.substr(0, second);
}

[[noreturn]] void NoSuchDocument() {
  throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
}

class Window : public host::DispatchObject {
 public:
  Window(std::weak_ptr<Document> doc, std::weak_ptr<Application> app, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Window", std::move(faults)), doc_(std::move(doc)), app_(std::move(app)) {
    method("Activate", [this](const Args&) {
      auto [doc, app] = Both();
      app->Activate(*doc);
      return Value();
    });
    property("Document", [this](const Args&) { return Value(host::ObjectPtr(Both().first)); });
    property("Caption", [this](const Args&) { return Value(Both().first->model().name()); });
  }

 private:
  std::pair<std::shared_ptr<Document>, std::shared_ptr<Application>> Both() {
    auto doc = doc_.lock();
    auto app = app_.lock();
    if (!doc || !app || doc->model().closed()) {
      throw HostError(kErrObjectDeleted, "Object has been deleted (the window's document is closed).");
    }
    return {doc, app};
  }
  std::weak_ptr<Document> doc_;
  std::weak_ptr<Application> app_;
};

class Documents : public host::DispatchObject {
 public:
  Documents(std::weak_ptr<Application> app, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Documents", std::move(faults)), app_(std::move(app)) {
    property("Count", [this](const Args&) { return Value(static_cast<int32_t>(App().documents().size())); });
    method("Item", [this](const Args& a) { return Value(host::ObjectPtr(Item(host::arg(a, 0)))); });
    method("Open", [this](const Args& a) {
      if (!host::has_arg(a, 0)) throw HostError(host::kErrArgumentNotOptional, "Argument not optional");
      // Open(FileName, ConfirmConversions, ReadOnly, ...)
      bool read_only = host::has_arg(a, 2) && host::arg(a, 2).as_bool();
      return Value(host::ObjectPtr(App().Open(host::arg(a, 0).as_string(), read_only)));
    });
    method("Add", [this](const Args& a) {
      std::string template_path = host::has_arg(a, 0) ? host::arg(a, 0).as_string() : std::string();
      return Value(host::ObjectPtr(App().Add(template_path)));
    });
  }

 private:
  Application& App() {
    auto app = app_.lock();
    if (!app) throw HostError(host::kErrObjectNotSet, "The application has gone.");
    return *app;
  }
  std::shared_ptr<Document> Item(const Value& index) {
    const auto& docs = App().documents();
    if (index.is_string()) {
      std::string name = index.as_string();
      for (const auto& d : docs) {
        if (d->model().name() == name || d->model().full_name() == name) return d;
      }
      NoSuchDocument();
    }
    int32_t n = index.as_int();
    if (n < 1 || static_cast<size_t>(n) > docs.size()) NoSuchDocument();
    return docs[static_cast<size_t>(n - 1)];
  }
  std::weak_ptr<Application> app_;
};

class Template : public host::DispatchObject {
 public:
  Template(std::weak_ptr<Application> app, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Template", std::move(faults)), app_(std::move(app)) {
    property("Name", [this](const Args&) {
      std::string path = App().options().normal_template;
      return Value(path.empty() ? std::string("Normal.dotm") : fs::path(path).filename().string());
    });
    property("FullName", [this](const Args&) {
      std::string path = App().options().normal_template;
      return Value(path.empty() ? std::string("Normal.dotm") : AbsolutePath(path));
    });
    property("Path", [this](const Args&) {
      std::string path = App().options().normal_template;
      return Value(path.empty() ? std::string() : fs::path(AbsolutePath(path)).parent_path().string());
    });
    property("ListTemplates", [this](const Args&) {
      return Value(MakeListTemplates(App().NormalTemplateModel(), App().faults()));
    });
    method("OpenAsDocument", [this](const Args&) {
      std::string path = App().NormalTemplatePath();
      if (path.empty()) throw HostError(host::kErrFileNotFound, "No Normal template is set for this session.");
      return Value(host::ObjectPtr(App().Open(path, false)));
    });
  }

 private:
  Application& App() {
    auto app = app_.lock();
    if (!app) throw HostError(host::kErrObjectNotSet, "The application has gone.");
    return *app;
  }
  std::weak_ptr<Application> app_;
};

class WordOptions : public host::DispatchObject {
 public:
  WordOptions(bool& pagination, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Options", std::move(faults)) {
    property(
        "Pagination", [&pagination](const Args&) { return host::word_bool(pagination); },
        [&pagination](const Value& v, const Args&) { pagination = v.as_bool(); });
  }
};

// Word's Selection; it stands in the active document.
class Selection : public host::DispatchObject {
 public:
  Selection(std::weak_ptr<Application> app, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Selection", std::move(faults)), app_(std::move(app)) {
    property("Document", [this](const Args&) {
      auto app = app_.lock();
      auto doc = app ? app->active() : nullptr;
      if (!doc) throw HostError(kErrNoDocumentOpen, "This command is not available because no document is open.");
      return Value(host::ObjectPtr(doc));
    });
    property("Range", [this](const Args&) {
      auto app = app_.lock();
      auto doc = app ? app->active() : nullptr;
      if (!doc) throw HostError(kErrNoDocumentOpen, "This command is not available because no document is open.");
      return Value(MakeSelectionRange(doc->model_ptr(), app->faults()));
    });
  }

 private:
  std::weak_ptr<Application> app_;
};

}  // namespace

// ---------------------------------------------------------------------------

Document::Document(std::shared_ptr<DocumentModel> model, std::weak_ptr<Application> application,
                   std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("Document", faults),
      faults_(std::move(faults)),
      model_(std::move(model)),
      app_(std::move(application)) {
  property("Name", [this](const Args&) {
    model_->require_open();
    return Value(model_->name());
  });
  property("FullName", [this](const Args&) {
    model_->require_open();
    return Value(model_->full_name());
  });
  property("Path", [this](const Args&) {
    model_->require_open();
    return Value(model_->folder());
  });
  property(
      "Saved",
      [this](const Args&) {
        model_->require_open();
        return host::word_bool(model_->saved());
      },
      [this](const Value& v, const Args&) {
        model_->require_open();
        model_->set_saved(v.as_bool());
      });
  property("ReadOnly", [this](const Args&) {
    model_->require_open();
    return host::word_bool(model_->read_only());
  });
  method("Save", [this](const Args&) {
    Save();
    return Value();
  });
  method("SaveAs", [this](const Args& a) {
    model_->require_open();
    if (!host::has_arg(a, 0)) {
      Save();
      return Value();
    }
    std::string path = host::arg(a, 0).as_string();
    if (path.empty()) throw HostError(host::kErrBadFileName, "Bad file name");
    RefuseNameOfOtherDocument(path);
    // Renaming over a read-only file would replace it; Word leaves it be.
    if (std::error_code ec; fs::exists(path, ec) && FileIsReadOnly(path)) {
      throw HostError(host::kErrCannotSaveFile, "Cannot save as " + path + ": the file is read-only.");
    }
    model_->write(path);
    if (auto application = app_.lock()) application->ForgetOrganizerFile(path);
    return Value();
  });
  method("Close", [this](const Args& a) {
    auto keep = shared_from_this();  // the collection may hold the last reference
    Close(a);
    return Value();
  });
  method("UndoClear", [this](const Args&) {
    model_->require_open();
    ++undo_clears_;
    return Value();
  });
  method("Activate", [this](const Args&) {
    model_->require_open();
    app()->Activate(*this);
    return Value();
  });
  property("ListTemplates", [this](const Args&) {
    model_->require_open();
    if (!list_templates_) list_templates_ = MakeListTemplates(model_, faults_);
    return Value(list_templates_);
  });
  method("CopyStylesFromTemplate", [this](const Args& a) {
    model_->require_open();
    if (!host::has_arg(a, 0)) throw HostError(host::kErrArgumentNotOptional, "Argument not optional");
    app()->CopyStylesFromTemplate(*model_, host::arg(a, 0).as_string());
    return Value();
  });
  property("Styles", [this](const Args&) {
    model_->require_open();
    if (!styles_) styles_ = std::make_shared<Styles>(model_, faults_);
    return Value(styles_);
  });
  property("ActiveWindow", [this](const Args&) {
    model_->require_open();
    if (!window_) {
      auto me = std::static_pointer_cast<Document>(shared_from_this());
      window_ = std::make_shared<Window>(me, app_, faults_);
    }
    return Value(window_);
  });
  property("Application", [this](const Args&) { return Value(host::ObjectPtr(app())); });
  method("Range", [this](const Args& a) {
    model_->require_open();
    return Value(MakeRange(model_, a, faults_));
  });
  property("Tables", [this](const Args&) {
    model_->require_open();
    if (!tables_) tables_ = MakeTables(model_, faults_);
    return Value(tables_);
  });
  property("Bookmarks", [this](const Args&) {
    model_->require_open();
    if (!bookmarks_) {
      // Selecting a bookmark brings its document to the front.
      std::weak_ptr<Document> me = std::static_pointer_cast<Document>(shared_from_this());
      std::weak_ptr<Application> application = app_;
      bookmarks_ = MakeBookmarks(
          model_,
          [me, application] {
            auto doc = me.lock();
            auto word = application.lock();
            if (doc && word) word->Activate(*doc);
          },
          faults_);
    }
    return Value(bookmarks_);
  });
}

std::shared_ptr<Application> Document::app() {
  auto app = app_.lock();
  if (!app) throw HostError(host::kErrObjectNotSet, "The application has gone.");
  return app;
}

void Document::RefuseNameOfOtherDocument(const std::string& path) const {
  auto application = app_.lock();
  if (!application) return;
  std::string full = AbsolutePath(path);
  for (const auto& d : application->documents()) {
    const DocumentModel& other = d->model();
    if (d.get() == this || other.closed() || other.path().empty()) continue;
    if (other.path() == full || SameFile(other.path(), full)) {
      throw HostError(host::kErrNameOfOpenDocument,
                      "Word cannot give a document the same name as an open document (" + other.full_name() + ").");
    }
  }
}

void Document::Save() {
  model_->require_open();
  // Word asks for a file name with its Save As dialog here; with no one to
  // ask, the command fails as it does when that dialog is cancelled: 4198,
  // "Command failed".
  if (model_->path().empty()) {
    throw HostError(host::kErrWordBuffersFull, "Command failed (" + model_->name() + " has never been saved).");
  }
  if (model_->read_only()) {
    throw HostError(host::kErrWordBuffersFull, "Command failed (" + model_->name() + " is read-only).");
  }
  if (model_->saved()) return;  // as Word: nothing changed, nothing written
  model_->save();
}

void Document::Close(const Args& args) {
  model_->require_open();
  // wdSaveChanges (-1) saves; wdDoNotSaveChanges (0), wdPromptToSaveChanges
  // (-2) and a missing argument do not: there is no one to prompt.
  int32_t save_changes = host::has_arg(args, 0) ? host::arg(args, 0).as_int() : 0;
  if (save_changes == -1 && !model_->saved()) Save();
  // The application lives as long as its caller's reference; once that is
  // gone its documents are closed with it.
  if (auto application = app_.lock()) {
    application->Close(*this);
  } else {
    model_->close();
  }
}

// ---------------------------------------------------------------------------

Application::Application(Options options) : DispatchObject("Application", options.faults), options_(std::move(options)) {
  if (!options_.faults) options_.faults = std::make_shared<host::FaultPlan>();
  property("Build", [this](const Args&) { return Value(options_.build); });
  property("Version", [this](const Args&) { return Value(VersionOf(options_.build)); });
  property("Documents", [this](const Args&) { return Value(documents_obj()); });
  property("ActiveDocument", [this](const Args&) {
    auto doc = active();
    if (!doc) throw HostError(kErrNoDocumentOpen, "This command is not available because no document is open.");
    return Value(host::ObjectPtr(doc));
  });
  property("Selection", [this](const Args&) {
    if (!selection_) selection_ = std::make_shared<Selection>(self(), faults());
    return Value(selection_);
  });
  property("NormalTemplate", [this](const Args&) {
    NormalTemplatePath();
    if (!normal_template_) normal_template_ = std::make_shared<Template>(self(), faults());
    return Value(normal_template_);
  });
  property("Options", [this](const Args&) {
    if (!options_obj_) options_obj_ = std::make_shared<WordOptions>(pagination_, faults());
    return Value(options_obj_);
  });
  // Made once: buttons added to the menus stay for the session.
  property("CommandBars", [this](const Args&) {
    if (!command_bars_) command_bars_ = CreateCommandBars(options_.command_bars, faults());
    return Value(command_bars_);
  });
  property("CustomizationContext", [this](const Args&) {
    if (!customization_context_) customization_context_ = CreateCustomizationContext(faults());
    return Value(customization_context_);
  });
  property(
      "ScreenUpdating", [this](const Args&) { return host::word_bool(screen_updating_); },
      [this](const Value& v, const Args&) { screen_updating_ = v.as_bool(); });
  method("ScreenRefresh", [this](const Args&) {
    ++screen_refreshes_;
    return Value();
  });
  method("OrganizerCopy", [this](const Args& a) {
    for (size_t i = 0; i < 4; ++i) {
      if (!host::has_arg(a, i)) throw HostError(host::kErrArgumentNotOptional, "Argument not optional");
    }
    if (host::arg(a, 3).as_int() != 0) {
      throw HostError(host::kErrInvalidProcedureCall, "The organizer here copies styles only (Object 0).");
    }
    OrganizerCopy(host::arg(a, 0).as_string(), host::arg(a, 1).as_string(), host::arg(a, 2).as_string());
    return Value();
  });
}

std::shared_ptr<DocumentModel> Application::OpenForOrganizer(const std::string& path, bool* temporary) {
  if (path.empty()) throw HostError(host::kErrBadFileName, "Bad file name");
  std::string full = AbsolutePath(path);
  // A file held here is never one an open document holds: opening it or
  // saving a document over it lets go of it.
  if (auto it = organizer_files_.find(full); it != organizer_files_.end()) {
    // Watched before it is looked at, so that a change after the look is
    // seen at the next call.
    bool same = organizer_watch_.Unchanged(full);
    if (!same) {
      organizer_watch_.Watch(full);
      same = it->second.stamp == StampOf(full);
    }
    if (same) {
      *temporary = true;
      return it->second.model;
    }
    organizer_watch_.Forget(full);
    organizer_files_.erase(it);  // changed from outside since we read it
  }
  *temporary = false;
  for (const auto& d : docs_) {
    const DocumentModel& m = d->model();
    if (m.full_name() == path || m.path() == full) return d->model_ptr();
  }
  for (const auto& d : docs_) {
    const DocumentModel& m = d->model();
    if (!m.path().empty() && SameFile(m.path(), full)) return d->model_ptr();
  }
  *temporary = true;
  organizer_watch_.Watch(full);
  FileStamp now = StampOf(full);
  auto model = std::make_shared<DocumentModel>(ooxml::Package::Open(full), full, "", FileIsReadOnly(full));
  model->styles().count();  // refuses unreadable styles now, before anything changes
  organizer_files_[full] = OrganizerFile{model, now, false};
  return model;
}

Application::FileStamp Application::StampOf(const std::string& path) {
  FileStamp stamp;
#ifndef _WIN32
  // The inode tells a file renamed over this one even within one tick of
  // the file system's clock.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.device = static_cast<uint64_t>(st.st_dev);
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.changed = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#else
  std::error_code ec;
  stamp.size = fs::file_size(path, ec);
  if (ec) return FileStamp{};
  stamp.modified = fs::last_write_time(path, ec).time_since_epoch().count();
  if (ec) return FileStamp{};
#endif
  stamp.exists = true;
  return stamp;
}

void Application::FlushOrganizerFile(const std::string& path) {
  auto it = organizer_files_.find(AbsolutePath(path));
  if (it == organizer_files_.end() || !it->second.pending) return;
  OrganizerFile& file = it->second;
  if (StampOf(it->first) != file.stamp) {
    organizer_files_.erase(it);  // replaced or deleted from outside: theirs wins
    return;
  }
  try {
    file.model->write(it->first);
  } catch (...) {
    organizer_files_.erase(it);
    throw;
  }
  file.stamp = StampOf(it->first);
  file.pending = false;
}

void Application::FlushOrganizerFiles() {
  std::vector<std::string> paths;
  for (const auto& [path, file] : organizer_files_) paths.push_back(path);
  for (const auto& path : paths) FlushOrganizerFile(path);
}

void Application::ForgetOrganizerFile(const std::string& path) { organizer_files_.erase(AbsolutePath(path)); }

Application::~Application() {
  // Nobody is left to tell of a failure; each file is tried on its own.
  for (auto& [path, file] : organizer_files_) {
    if (!file.pending || StampOf(path) != file.stamp) continue;
    try {
      file.model->write(path);
    } catch (...) {
    }
  }
}

void Application::OrganizerCopy(const std::string& source, const std::string& destination, const std::string& name) {
  bool source_temporary = false, destination_temporary = false;
  auto from = OpenForOrganizer(source, &source_temporary);
  auto to = OpenForOrganizer(destination, &destination_temporary);
  if (from == to || (source_temporary && destination_temporary && SameFile(from->path(), to->path()))) {
    OrganizerCopyStyle(*from, *from, name);  // still refuses a missing style
    return;
  }
  // A change of permissions changes the file's stamp, so a held file's
  // read-only state is current.
  if (destination_temporary && to->read_only()) {
    throw HostError(host::kErrCannotSaveFile, "Cannot copy a style into " + to->full_name() + ": the file is read-only.");
  }
  OrganizerCopyStyle(*from, *to, name);
  // Written whole, by a temporary file renamed over it, when next looked at.
  if (destination_temporary) organizer_files_[to->path()].pending = true;
}

std::shared_ptr<DocumentModel> Application::NormalTemplateModel() {
  std::string path = NormalTemplatePath();
  if (path.empty()) throw HostError(host::kErrFileNotFound, "No Normal template is set for this session.");
  bool temporary = false;
  return OpenForOrganizer(path, &temporary);
}

void Application::CopyStylesFromTemplate(DocumentModel& doc, const std::string& template_name) {
  std::string path = template_name;
  if (!options_.normal_template.empty() && template_name == fs::path(options_.normal_template).filename().string()) {
    path = NormalTemplatePath();
  } else if (fs::path(path).is_relative() && !doc.folder().empty() && !fs::exists(path)) {
    path = (fs::path(doc.folder()) / path).string();
  }
  if (path.empty() || !fs::exists(path)) {
    throw HostError(host::kErrFileNotFound, "The template \"" + template_name + "\" could not be found.");
  }
  bool temporary = false;
  std::shared_ptr<DocumentModel> from = OpenForOrganizer(path, &temporary);
  if (from.get() == &doc) return;
  StyleSheet& sheet = from->styles();
  StyleSheet& mine = doc.styles();

  // The lists the document's styles used before: those the template's
  // styles replace are let go of once nothing else uses them.
  std::vector<std::string> used_before;
  for (size_t i = 0; i < mine.count(); ++i) {
    std::string id = StyleNumId(doc, mine.at(i));
    if (!id.empty()) used_before.push_back(id);
  }

  // Bases before the styles built on them, so none arrives without its base.
  std::vector<std::string> order;
  std::map<std::string, bool> placed;
  std::function<void(pugi::xml_node, int)> place = [&](pugi::xml_node style, int depth) {
    std::string id = sheet.id(style);
    if (placed[id] || depth > 100) return;
    placed[id] = true;
    std::string base = sheet.reference(style, "basedOn");
    if (pugi::xml_node b = base.empty() ? pugi::xml_node() : sheet.by_id(base)) place(b, depth + 1);
    order.push_back(sheet.display_name(style));
  };
  for (size_t i = 0; i < sheet.count(); ++i) place(sheet.at(i), 0);
  for (const std::string& name : order) OrganizerCopyStyle(*from, doc, name);
  for (const std::string& id : used_before) doc.numbering().release(id);
}

std::shared_ptr<Application> Application::Create(Options options) {
  return std::make_shared<Application>(std::move(options));
}

std::shared_ptr<Application> Application::self() {
  return std::static_pointer_cast<Application>(shared_from_this());
}

host::ObjectPtr Application::documents_obj() {
  if (!documents_) documents_ = std::make_shared<Documents>(self(), faults());
  return documents_;
}

std::shared_ptr<Document> Application::Open(const std::string& path, bool read_only) {
  if (path.empty()) throw HostError(host::kErrBadFileName, "Bad file name");
  std::string full = AbsolutePath(path);
  for (const auto& d : docs_) {
    if (!d->model().path().empty() && SameFile(d->model().path(), full)) {
      Activate(*d);
      return d;
    }
  }
  FlushOrganizerFile(full);
  ForgetOrganizerFile(full);  // the open document holds it from now on
  auto package = ooxml::Package::Open(full);
  auto model = std::make_shared<DocumentModel>(std::move(package), full, "", read_only || FileIsReadOnly(full));
  // Word refuses a document whose styles it cannot read; finding out now
  // keeps a broken one out of Documents.
  model->styles().count();
  auto doc = std::make_shared<Document>(std::move(model), self(), faults());
  docs_.push_back(doc);
  Activate(*doc);
  return doc;
}

std::string Application::NormalTemplatePath() {
  if (options_.normal_template.empty()) return "";
  std::string path = AbsolutePath(options_.normal_template);
  if (!fs::exists(path)) {
    // Word makes its Normal template, and the folder for it, when missing.
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    WriteBlankDocument(path);
  }
  return path;
}

std::shared_ptr<Document> Application::Add(const std::string& template_path) {
  std::string source = template_path.empty() ? NormalTemplatePath() : AbsolutePath(template_path);
  std::string name = "Document" + std::to_string(next_document_number_);
  auto package = BlankPackage(name + ".docx");
  std::string numbering;
  if (!source.empty()) {
    FlushOrganizerFile(source);
    // The new document carries its template's styles and list definitions.
    auto tpl = ooxml::Package::Open(source);
    std::string styles = tpl.Related(tpl.MainPart(), "styles");
    if (!styles.empty() && tpl.Has(styles)) package.Set("word/styles.xml", tpl.Get(styles));
    std::string list_part = tpl.Related(tpl.MainPart(), "numbering");
    if (!list_part.empty() && tpl.Has(list_part)) numbering = tpl.Get(list_part);
  }
  ++next_document_number_;
  auto model = std::make_shared<DocumentModel>(std::move(package), "", name, false);
  if (!numbering.empty()) {
    model->add_related_part("word/numbering.xml", kRelNumbering, kCtNumbering, std::move(numbering));
  }
  auto doc = std::make_shared<Document>(std::move(model), self(), faults());
  docs_.push_back(doc);
  Activate(*doc);
  return doc;
}

void Application::Close(Document& doc) {
  doc.model().close();
  std::erase_if(docs_, [&](const std::shared_ptr<Document>& d) { return d.get() == &doc; });
}

std::shared_ptr<Document> Application::active() const {
  std::shared_ptr<Document> best;
  for (const auto& d : docs_) {
    if (!best || d->activated > best->activated) best = d;
  }
  return best;
}

host::ObjectPtr CreateApplication(const Options& options) { return Application::Create(options); }

}  // namespace tarnwell::engine
