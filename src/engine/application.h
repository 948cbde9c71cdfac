#pragma once
// The embedded Word's Application and the objects it hands out for
// documents: Documents, Document, Window, the Normal template, Options and
// Selection. Members are added in the constructors' tables.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/document_model.h"
#include "engine/engine.h"
#include "engine/file_watch.h"
#include "host/object.h"

namespace tarnwell::engine {

// Word's "This command is not available because no document is open."
inline constexpr int32_t kErrNoDocumentOpen = 4248;

class Application;

class Document : public host::DispatchObject {
 public:
  Document(std::shared_ptr<DocumentModel> model, std::weak_ptr<Application> app,
           std::shared_ptr<host::FaultPlan> faults);

  DocumentModel& model() { return *model_; }
  const std::shared_ptr<DocumentModel>& model_ptr() const { return model_; }
  int undo_clears() const { return undo_clears_; }
  uint64_t activated = 0;  // the application's clock at the last activation

 private:
  std::shared_ptr<Application> app();
  void Save();
  // Word keeps one document per file: saving under another open
  // document's file is refused.
  void RefuseNameOfOtherDocument(const std::string& path) const;
  void Close(const host::Args& args);
  std::shared_ptr<host::FaultPlan> faults_;
  std::shared_ptr<DocumentModel> model_;
  std::weak_ptr<Application> app_;
  host::ObjectPtr styles_, window_, tables_, bookmarks_, list_templates_;
  int undo_clears_ = 0;
};

class Application : public host::DispatchObject {
 public:
  // Use Create: the objects it hands out need a weak reference to it.
  explicit Application(Options options);
  static std::shared_ptr<Application> Create(Options options);

  const Options& options() const { return options_; }
  const std::shared_ptr<host::FaultPlan>& faults() const { return options_.faults; }

  // Open documents in opening order.
  const std::vector<std::shared_ptr<Document>>& documents() const { return docs_; }
  // The open document with this file, else opens it. read_only forces it.
  std::shared_ptr<Document> Open(const std::string& path, bool read_only);
  // A new document from a template file ("" for the Normal template).
  std::shared_ptr<Document> Add(const std::string& template_path);
  void Activate(Document& doc) { doc.activated = ++clock_; }
  void Close(Document& doc);
  // The last opened, added or activated document; nullptr when none.
  std::shared_ptr<Document> active() const;

  // The Normal template's file, written blank when missing; "" when the
  // options name none.
  std::string NormalTemplatePath();

  // The Normal template's document: the open one when it is open as a
  // document, else the file as the organizer holds it. Raises 53 when the
  // options name no Normal template.
  std::shared_ptr<DocumentModel> NormalTemplateModel();
  // Document.CopyStylesFromTemplate: every style of the template file
  // (a path, or the Normal template's Name) over the document's styles of
  // the same name, bases first; styles only the document has stay.
  void CopyStylesFromTemplate(DocumentModel& doc, const std::string& template_name);

  // Application.OrganizerCopy for styles: each path names an open document
  // (its FullName) or a file, opened for the copy and saved after it.
  void OrganizerCopy(const std::string& source, const std::string& destination, const std::string& name);

  // A file the organizer changed while no document had it open stays in
  // memory, and is written when something may look at it: before Word
  // opens it or makes a document from it, before the host reads or
  // replaces it (FlushOrganizerFile), and when Word goes.
  void FlushOrganizerFile(const std::string& path);
  void FlushOrganizerFiles();
  // The file was deleted or replaced from outside: what the organizer had
  // not yet written to it is gone with it.
  void ForgetOrganizerFile(const std::string& path);
  ~Application() override;

  int screen_refreshes() const { return screen_refreshes_; }
  bool screen_updating() const { return screen_updating_; }
  bool pagination() const { return pagination_; }

 private:
  std::shared_ptr<Application> self();
  host::ObjectPtr documents_obj();
  std::shared_ptr<DocumentModel> OpenForOrganizer(const std::string& path, bool* temporary);

  // What a file was when last read or written, to notice a change made
  // from outside.
  struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified = 0, changed = 0;
    bool operator==(const FileStamp&) const = default;
  };
  static FileStamp StampOf(const std::string& path);
  struct OrganizerFile {
    std::shared_ptr<DocumentModel> model;
    FileStamp stamp;
    bool pending = false;  // changed since read or written
  };

  Options options_;
  std::map<std::string, OrganizerFile> organizer_files_;  // by absolute path
  FileWatch organizer_watch_;  // spares a held file's stamp while nothing touched it
  std::vector<std::shared_ptr<Document>> docs_;
  uint64_t clock_ = 0;
  int next_document_number_ = 1;
  int screen_refreshes_ = 0;
  bool screen_updating_ = true;
  bool pagination_ = true;
  host::ObjectPtr documents_, options_obj_, selection_, normal_template_;
  host::ObjectPtr command_bars_, customization_context_;
};

}  // namespace tarnwell::engine
