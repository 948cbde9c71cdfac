// The main dialog's window under a real display: a timer plays the user,
// message boxes are answered by the UI's hook, the save-as dialog is the
// system's own.
#include "win32/platform_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <numeric>

#include "dialog/frmVell_COM.h"
#include "support/globals.h"
#include "win32/com_util.h"
#include "win32/fake_documents_test.h"
#include "win32/resource.h"
#include "win32/test_png.h"
#include "win32/test_runner.h"
#include "win32/test_view_driver.h"
#include "win32/views.h"

namespace tarnwell::win32 {
namespace {

using namespace testing;
using platform::Answer;
using Lines = std::vector<std::string>;

constexpr int32_t kParagraph = 1, kCharacter = 2, kTable = 3, kList = 4;

struct AddIn : dialog::VellAddIn {
  host::ObjectPtr app;
  host::ObjectPtr wdAppConnect() const override { return app; }
};

// The dialog model over a Word with documents, shown by the views, with
// message boxes recorded as "title|text" and answered with their first
// button unless a test says otherwise.
struct Bench {
  explicit Bench(std::string build = "11.0.8169") : word(std::make_shared<FakeWordWithDocuments>(std::move(build))) {
    InstallViews(win.ui);
    win.ui.answer_box = [this](const std::string& title, const std::string& text, platform::Icon,
                               platform::Buttons buttons) {
      boxes.push_back(title + "|" + text);
      if (!answers.empty()) {
        Answer a = answers.front();
        answers.erase(answers.begin());
        return a;
      }
      return buttons == platform::Buttons::YesNo || buttons == platform::Buttons::YesNoCancel ? Answer::Yes
                                                                                              : Answer::OK;
    };
    addin.app = word;
    form.SetVellAddIn(&addin);
  }
  bool Boxed(const std::string& title) const {
    return std::any_of(boxes.begin(), boxes.end(), [&](const std::string& b) { return b.rfind(title + "|", 0) == 0; });
  }
  static HWND Dialog() { return FindDialog(L"Quillon Tarnwell"); }
  static int Line(const Lines& lines, const std::string& start) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(start, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }

  Win32Platform win;
  platform::Platform platform = win.platform();
  std::shared_ptr<FakeWordWithDocuments> word;
  AddIn addin;
  dialog::frmVell_COM form{platform};
  std::vector<std::string> boxes;
  std::vector<Answer> answers;
};

std::string ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

int32_t DialogFontWidth(HWND dialog, const std::string& text) {
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  const std::wstring w = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  return size.cx;
}

void AddReport(FakeWordWithDocuments& word) {
  auto report = word.Add("Report.doc", "C:\\Docs");
  report->AddStyle("Normal", kParagraph);
  report->AddStyle("Heading 1", kParagraph, "Normal", "Normal");
  report->AddStyle("Default Paragraph Font", kCharacter);
  report->AddStyle("Body Text", kParagraph, "Normal");
  report->AddStyle("Emphasis", kCharacter, "Default Paragraph Font");
  report->AddStyle("Table Normal", kTable);
  report->AddStyle("Table Grid", kTable, "Table Normal");
  report->AddStyle("No List", kList);
  report->AddStyle("Outline Numbers", kList);
}

// What the lists received as tab stops: the count and the stops apart.
std::vector<std::pair<HWND, std::vector<int>>> g_tab_stops;
LRESULT CALLBACK RecordTabStops(int code, WPARAM wparam, LPARAM lparam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent->message == LB_SETTABSTOPS) {
    const auto* stops = reinterpret_cast<const INT*>(sent->lParam);
    g_tab_stops.emplace_back(sent->hwnd, std::vector<int>(stops, stops + sent->wParam));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TW_TEST(MainDialogShowsItsModelAndPassesSelectionsToIt) {
  Bench b;
  AddReport(*b.word);
  b.word->Add("letter.doc", "C:\\Docs");
  b.word->Add("A rather long name for a document, long enough to scroll sideways.doc", "C:\\Docs");

  HWND seen = nullptr;
  ViewDriver driver({
      [&] {
        seen = Bench::Dialog();
        if (!seen) return false;
        // Message boxes and file dialogs belong to the dialog while it is up.
        TW_CHECK(b.win.ui.owner == seen);
        TW_CHECK_EQ(b.form.Hwnd(), reinterpret_cast<platform::WindowHandle>(seen));
        // Captions as the layout gives them, access keys and blanks kept.
        TW_CHECK_EQ(ItemText(seen, IDC_LBL_SOURCE), std::string("&Source document:"));
        TW_CHECK_EQ(ItemText(seen, IDC_LBL_TARGET), std::string("&Target document:"));
        TW_CHECK_EQ(ItemText(seen, IDC_LBL_STYLE_TYPES), std::string("Sty&le type:"));
        TW_CHECK_EQ(ItemText(seen, IDC_LBL_STYLES), std::string("S&elect style(s) to copy:"));
        TW_CHECK_EQ(ItemText(seen, IDC_CMD_COPY), std::string("C&opy styles "));
        TW_CHECK_EQ(ItemText(seen, IDC_CMD_UPDATE), std::string("&Update all from Normal.dot"));
        TW_CHECK_EQ(ItemText(seen, IDCANCEL), std::string("&Cancel"));
        TW_CHECK_EQ(ItemText(seen, IDC_LBL_DESC), std::string(dialog::kInstructionText));
        TW_CHECK(IsWindowVisible(GetDlgItem(seen, IDC_CMD_UPDATE)));
        wchar_t menu[32] = {};
        GetMenuStringW(GetMenu(seen), 0, menu, 32, MF_BYPOSITION);
        TW_CHECK(std::wstring(menu) == L"Help");
        GetMenuStringW(GetMenu(seen), IDM_USING, menu, 32, MF_BYCOMMAND);
        TW_CHECK(std::wstring(menu) == L"Using Tarnwell");

        // Both document lists show the model's sorted entries.
        const Lines docs = ListLines(seen, IDC_LST_SOURCE_DOCS);
        TW_CHECK(docs == b.form.lstSourceDocs.items());
        TW_CHECK(docs == ListLines(seen, IDC_LST_TARGET_DOCS));
        TW_CHECK_EQ(docs.size(), size_t{4});
        if (docs.size() == 4) {
          TW_CHECK(docs[1].rfind("Normal template\t", 0) == 0);
          TW_CHECK(docs[2] == "Report.doc\tC:\\Docs\\Report.doc");
          TW_CHECK(docs[3].rfind("letter.doc\t", 0) == 0);
        }
        // Widths in pixels of the dialog's own font: the longest name scrolls.
        const auto extent = SendMessageW(GetDlgItem(seen, IDC_LST_SOURCE_DOCS), LB_GETHORIZONTALEXTENT, 0, 0);
        TW_CHECK_EQ(extent, DialogFontWidth(seen, "   " + b.word->documents[2]->name));
        RECT list{};
        GetClientRect(GetDlgItem(seen, IDC_LST_SOURCE_DOCS), &list);
        TW_CHECK(extent > list.right);
        for (auto [id, list] : {std::pair{IDC_LST_SOURCE_DOCS, &b.form.lstSourceDocs},
                                std::pair{IDC_LST_TARGET_DOCS, &b.form.lstTargetDocs},
                                std::pair{IDC_LST_STYLES, &b.form.lstStyles}}) {
          const auto got = std::find_if(g_tab_stops.begin(), g_tab_stops.end(),
                                        [&](const auto& sent) { return sent.first == GetDlgItem(seen, id); });
          TW_CHECK(got != g_tab_stops.end());
          TW_CHECK_EQ(list->tab_stops.size(), size_t{2});
          if (got != g_tab_stops.end()) TW_CHECK(got->second == std::vector<int>(list->tab_stops.begin(), list->tab_stops.end()));
        }

        HWND combo = GetDlgItem(seen, IDC_CMB_STYLE_TYPES);
        TW_CHECK_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
        TW_CHECK_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
        TW_CHECK(ListLines(seen, IDC_LST_STYLES).empty());
        PostSelectLine(seen, IDC_LST_SOURCE_DOCS, 2);
        return true;
      },
      [&] {
        TW_CHECK_EQ(b.form.lstSourceDocs.ListIndex(), 2);
        TW_CHECK(ListLines(seen, IDC_LST_STYLES) == (Lines{"Normal", "Heading 1", "Body Text"}));
        PostChoose(seen, IDC_CMB_STYLE_TYPES, 0);
        return true;
      },
      [&] {
        TW_CHECK(ListLines(seen, IDC_LST_STYLES) == (Lines{"Default Paragraph Font", "Emphasis"}));
        TW_CHECK(!b.Boxed("A word about table styles..."));
        PostChoose(seen, IDC_CMB_STYLE_TYPES, 3);
        return true;
      },
      [&] {
        TW_CHECK(b.Boxed("A word about table styles..."));
        TW_CHECK(ListLines(seen, IDC_LST_STYLES) == (Lines{"Table Grid"}));
        // Progress shows in the dialog's status bar at once; a click clears it.
        b.form.SetStatusText("Checking dependencies ...");
        TW_CHECK_EQ(StatusText(seen, IDC_STATUS_BAR), std::string("Checking dependencies ..."));
        PostSelectLine(seen, IDC_LST_TARGET_DOCS, 3);
        return true;
      },
      [&] {
        TW_CHECK_EQ(StatusText(seen, IDC_STATUS_BAR), std::string());
        TW_CHECK_EQ(b.form.lstTargetDocs.ListIndex(), 3);
        TW_CHECK_EQ(b.form.lstSourceDocs.ListIndex(), 2);
        PostCloseBox(seen);
        return true;
      },
  });
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordTabStops, nullptr, GetCurrentThreadId());
  b.win.ui.ShowModal(b.form);
  UnhookWindowsHookEx(hook);
  TW_CHECK(driver.finished());
  // The close box is Cancel.
  TW_CHECK_EQ(b.form.Tag, std::string("Cancel"));
  TW_CHECK(!b.form.Visible());
  TW_CHECK(!IsWindow(seen));
  TW_CHECK(b.win.ui.owner == nullptr);
  TW_CHECK(b.win.ui.lists.empty());
}

TW_TEST(DialogIsModalToWordsWindowAndOlderWordGetsNoUpdateButtonAndTwoTypes) {
  WNDCLASSW word_class{};
  word_class.lpfnWndProc = DefWindowProcW;
  word_class.hInstance = GetModuleHandleW(nullptr);
  word_class.lpszClassName = L"OpusApp";
  RegisterClassW(&word_class);
  HWND word_window = CreateWindowExW(0, L"OpusApp", L"Document1 - Word", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                     300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  TW_CHECK(word_window != nullptr);
  Bench b("9.0.2720");
  AddReport(*b.word);
  HWND owner = nullptr;
  bool word_enabled = true;
  ViewDriver driver({[&] {
    HWND d = Bench::Dialog();
    if (!d) return false;
    owner = GetWindow(d, GW_OWNER);
    word_enabled = IsWindowEnabled(word_window) != FALSE;
    TW_CHECK(!IsWindowVisible(GetDlgItem(d, IDC_CMD_UPDATE)));
    TW_CHECK(!IsWindowEnabled(GetDlgItem(d, IDC_CMD_UPDATE)));
    TW_CHECK_EQ(SendMessageW(GetDlgItem(d, IDC_CMB_STYLE_TYPES), CB_GETCOUNT, 0, 0), 2);
    TW_CHECK_EQ(SendMessageW(GetDlgItem(d, IDC_CMB_STYLE_TYPES), CB_GETCURSEL, 0, 0), 1);
    PostEscape(d);
    return true;
  }});
  b.win.ui.ShowModal(b.form);
  TW_CHECK(driver.finished());
  TW_CHECK_EQ(b.form.Tag, std::string("Cancel"));
  TW_CHECK(owner == word_window);
  TW_CHECK(!word_enabled);
  TW_CHECK(IsWindowEnabled(word_window));
  DestroyWindow(word_window);
}

TW_TEST(LeavingTooManyTableStylesKeepsTheFocusAndTheClick) {
  Bench b;
  auto tables = b.word->Add("Tables.doc", "C:\\Docs");
  for (int i = 1; i <= 13; ++i) tables->AddStyle("Grid " + std::to_string(100 + i), kTable);
  std::vector<int> all(13);
  std::iota(all.begin(), all.end(), 0);

  HWND d = nullptr;
  ViewDriver driver({
      [&] {
        d = Bench::Dialog();
        if (!d) return false;
        PostSelectLine(d, IDC_LST_SOURCE_DOCS, Bench::Line(ListLines(d, IDC_LST_SOURCE_DOCS), "Tables.doc"));
        PostChoose(d, IDC_CMB_STYLE_TYPES, 3);
        return true;
      },
      [&] {
        TW_CHECK_EQ(ListLines(d, IDC_LST_STYLES).size(), size_t{13});
        SetFocus(GetDlgItem(d, IDC_LST_STYLES));
        PostSetSelected(d, IDC_LST_STYLES, all, true, 12);
        return true;
      },
      [&] {
        TW_CHECK_EQ(b.form.lstStyles.SelCount(), 13);
        TW_CHECK_EQ(b.form.lstStyles.ListIndex(), 12);
        return true;
      },
      MouseClick(d, IDC_CMD_COPY),
      [&] {
        // Refused: the focus is back in the list and Copy did not run (it
        // would have asked for a target).
        TW_CHECK(b.Boxed("Too many table styles selected"));
        TW_CHECK(GetFocus() == GetDlgItem(d, IDC_LST_STYLES));
        TW_CHECK(!b.Boxed("Target document?"));
        b.boxes.clear();
        // A click that arrives at once, as the button's access key gives
        // it, is refused the same way.
        PostClick(d, IDC_CMD_COPY);
        return true;
      },
      [&] {
        TW_CHECK(b.Boxed("Too many table styles selected"));
        TW_CHECK(!b.Boxed("Target document?"));
        TW_CHECK(GetFocus() == GetDlgItem(d, IDC_LST_STYLES));
        b.boxes.clear();
        PostSetSelected(d, IDC_LST_STYLES, {0}, false, 1);
        return true;
      },
      [&] {
        TW_CHECK_EQ(b.form.lstStyles.SelCount(), 12);
        return true;
      },
      MouseClick(d, IDC_CMD_COPY),
      [&] {
        // Twelve pass, so the click reaches the copy run's checks.
        TW_CHECK(!b.Boxed("Too many table styles selected"));
        TW_CHECK(b.Boxed("Target document?"));
        PostSetSelected(d, IDC_LST_STYLES, {0}, true, 0);
        SetFocus(GetDlgItem(d, IDC_LST_STYLES));
        b.boxes.clear();
        return true;
      },
      // Cancel does not wait on the list's validation.
      MouseClick(d, IDCANCEL),
  });
  b.win.ui.ShowModal(b.form);
  TW_CHECK(driver.finished());
  TW_CHECK(!b.Boxed("Too many table styles selected"));
  TW_CHECK_EQ(b.form.Tag, std::string("Cancel"));
}

// The system's save-as dialog, found among the windows the main dialog owns.
HWND SaveAsDialog(HWND main) {
  HWND found = FindOwnedDialog(main);
  return found && found != main ? found : nullptr;
}

HWND FileNameBox(HWND save_as) {
  constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;
  HWND box = GetDlgItem(save_as, kFileNameCombo);
  return box ? box : GetDlgItem(save_as, kFileNameEdit);
}

TW_TEST(CopyRunSavesANewDocumentThroughASaveAsDialogOwnedByTheMainDialog) {
  Bench b;
  AddReport(*b.word);
  auto fresh = b.word->Add("Document1", "");
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string chosen = Narrow(temp) + "Tarnwell view test.doc";
  DeleteFileW(Widen(chosen).c_str());

  HWND d = nullptr;
  std::string proposed_first, proposed_second;
  int waits = 0;
  auto pick_and_copy = [&] {
    const Lines docs = ListLines(d, IDC_LST_SOURCE_DOCS);
    PostSelectLine(d, IDC_LST_SOURCE_DOCS, Bench::Line(docs, "Report.doc"));
    PostSelectLine(d, IDC_LST_TARGET_DOCS, Bench::Line(docs, "Document1"));
    PostSetSelected(d, IDC_LST_STYLES, {1}, true, 1);
    PostClick(d, IDC_CMD_COPY);
  };
  ViewDriver driver({
      [&] {
        d = Bench::Dialog();
        if (!d) return false;
        pick_and_copy();
        return true;
      },
      [&] {
        HWND save_as = SaveAsDialog(d);
        if (!save_as) return false;
        proposed_first = Text(FileNameBox(save_as));
        return true;
      },
      [&] {
        // The run waits in the save-as dialog, and the main dialog shows
        // its Cancel disabled once it has redrawn.
        HWND cancel = GetDlgItem(d, IDCANCEL);
        if (IsWindowEnabled(cancel) && ++waits < 20) return false;
        TW_CHECK(!IsWindowEnabled(cancel));
        // The close box is Cancel, and Cancel is off while the run lasts:
        // what the close box sends when the run pumps messages.
        PostMessageW(d, WM_CLOSE, 0, 0);
        PostMessageW(SaveAsDialog(d), WM_COMMAND, IDCANCEL, 0);
        return true;
      },
      [&] {
        if (!b.Boxed("Save before continuing")) return false;
        TW_CHECK(b.form.Visible());
        TW_CHECK(b.form.Tag != "Cancel");
        pick_and_copy();
        return true;
      },
      [&] {
        HWND save_as = SaveAsDialog(d);
        if (!save_as) return false;
        proposed_second = Text(FileNameBox(save_as));
        SetWindowTextW(FileNameBox(save_as), Widen(chosen).c_str());
        PostMessageW(save_as, WM_COMMAND, IDOK, 0);
        return true;
      },
  });
  b.win.ui.ShowModal(b.form);
  TW_CHECK(driver.finished());
  TW_CHECK_EQ(proposed_first, std::string("Document1"));
  TW_CHECK_EQ(proposed_second, std::string("Document1"));
  TW_CHECK(b.Boxed("Save documents?"));
  TW_CHECK_EQ(b.word->documents[0]->saves, 2);  // the source, once per run
  TW_CHECK(fresh->saved_as == Lines{chosen});
  // Past saving the run needs Word's selection, which this Word lacks: the
  // error ends the run and the clean-up closes the dialog.
  TW_CHECK(b.Boxed("Quillon Tarnwell"));
  TW_CHECK(!b.form.Visible());
}

TW_TEST(ScreenshotsOfTheMainDialogAndAboutAndTheHelpMenusTopics) {
  Bench b;
  auto report = b.word->Add("Annual report 2006.doc", "C:\\Documents and Settings\\Ann\\My Documents");
  for (const char* style : {"Normal", "Heading 1", "Heading 2", "Heading 3", "Body Text", "Body Text Indent",
                            "Block Text", "Caption", "Footnote Text", "List Bullet", "List Number", "Quote",
                            "Title"}) {
    report->AddStyle(style, kParagraph, "Normal");
  }
  b.word->Add("Letterhead.dot", "C:\\Documents and Settings\\Ann\\Templates");
  b.word->Add("Board minutes.doc", "C:\\Documents and Settings\\Ann\\My Documents");
  b.win.ui.help_viewer = [](const Win32Ui::HelpCall&) {};

  HWND d = nullptr;
  RgbImage shot, about_shot;
  Lines about_texts;
  const auto about_up = [&] {
    HWND a = FindDialog(L"About");
    // Shown modally over the main dialog.
    if (a) TW_CHECK(GetWindow(a, GW_OWNER) == d);
    return a;
  };
  ViewDriver driver({
      [&] {
        d = Bench::Dialog();
        if (!d) return false;
        const Lines docs = ListLines(d, IDC_LST_SOURCE_DOCS);
        PostSelectLine(d, IDC_LST_SOURCE_DOCS, Bench::Line(docs, "Annual report"));
        PostSelectLine(d, IDC_LST_TARGET_DOCS, Bench::Line(docs, "Letterhead.dot"));
        PostSetSelected(d, IDC_LST_STYLES, {1, 2, 4}, true, 4);
        return true;
      },
      [&] {
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return true;
      },
      Pause(10),
      [&] {
        shot = CaptureWindow(d);
        for (int id : {IDM_GET_STARTED, IDM_USING, IDM_ABOUT}) PostMessageW(d, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return true;
      },
      [&] {
        HWND a = about_up();
        if (!a) return false;
        about_texts.push_back(ItemText(a, IDC_LBL_ABOUT));
        PostClick(a, IDOK);
        return true;
      },
      [&] {
        if (FindDialog(L"About")) return false;
        HWND image = GetDlgItem(d, IDC_IMG_HB);
        PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_IMG_HB, STN_CLICKED), reinterpret_cast<LPARAM>(image));
        return true;
      },
      [&] {
        HWND a = about_up();
        if (!a) return false;
        about_texts.push_back(ItemText(a, IDC_LBL_ABOUT));
        TW_CHECK_EQ(Text(a), std::string("About"));
        TW_CHECK_EQ(ItemText(a, IDOK), std::string("OK"));
        RedrawWindow(a, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return true;
      },
      Pause(10),
      [&] {
        HWND a = FindDialog(L"About");
        about_shot = CaptureWindow(a);
        PostCloseBox(a);
        return true;
      },
      [&] {
        if (FindDialog(L"About")) return false;
        TW_CHECK(IsWindowVisible(d));
        PostCloseBox(d);
        return true;
      },
  });
  b.win.ui.ShowModal(b.form);
  TW_CHECK(driver.finished());
  TW_CHECK(shot.width > 300 && shot.height > 300);
  TW_CHECK(LooksDrawn(shot));
  TW_CHECK(WriteScreenshot(shot, L"screenshot-main-dialog.png"));

  // The add-in's folder is this program's, where the build put the help file.
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::string chm = Narrow(exe);
  chm = chm.substr(0, chm.find_last_of('\\')) + "\\TarnwellHelp.chm";
  TW_CHECK(GetFileAttributesW(Widen(chm).c_str()) != INVALID_FILE_ATTRIBUTES);
  const auto& calls = b.win.ui.help_calls;
  TW_CHECK_EQ(calls.size(), size_t{2});
  for (size_t i = 0; i < calls.size() && i < 2; ++i) {
    TW_CHECK_EQ(calls[i].path, chm);
    TW_CHECK_EQ(calls[i].command, uint32_t{15});
    TW_CHECK_EQ(calls[i].context_id, i == 0 ? 3 : 87);
    TW_CHECK(calls[i].caller == reinterpret_cast<platform::WindowHandle>(d));
  }
  TW_CHECK(about_texts == Lines(2, "Quillon Tarnwell\r\n\r\nVersion 2.3.30"));
  TW_CHECK(!b.form.About().Visible());
  TW_CHECK(about_shot.width > 100 && LooksDrawn(about_shot));
  TW_CHECK(WriteScreenshot(about_shot, L"screenshot-about-dialog.png"));
}

}  // namespace
}  // namespace tarnwell::win32
