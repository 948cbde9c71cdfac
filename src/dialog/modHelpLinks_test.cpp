#include "dialog/modHelpLinks.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "platform/fakes.h"

namespace tarnwell::dialog {
namespace {

TEST(HelpLinksTest, TheHelpFileIsTheAddInFolderFollowedByTheNameInItsOwnSeparator) {
  struct Case {
    std::string folder;
    int32_t context;
    std::string path;
    int32_t shown_context;
  } cases[] = {
      {"C:\\Program Files\\Tarnwell\\", 3, "C:\\Program Files\\Tarnwell\\TarnwellHelp.chm", 3},
      {"/usr/lib/tarnwell/", 87, "/usr/lib/tarnwell/TarnwellHelp.chm", 87},
      // Below 1 the viewer opens the contents.
      {"D:\\addins", -5, "D:\\addins\\TarnwellHelp.chm", 0},
  };
  for (const Case& c : cases) {
    platform::FakePlatform fake;
    fake.files.own_folder = c.folder;
    platform::Platform platform = fake.platform();
    fncShowHelp(platform, kHelpFile, c.context, 42);
    ASSERT_EQ(fake.ui.help_shown.size(), 1u);
    EXPECT_EQ(fake.ui.help_shown[0].first, c.path);
    EXPECT_EQ(fake.ui.help_shown[0].second, c.shown_context);
  }
}

// Without a help viewer the click gets the common error message; nothing
// escapes to end the dialog.
TEST(HelpLinksTest, AMissingViewerIsReportedNotRaised) {
  struct NoViewer : platform::FakeUi {
    void ShowHelp(const std::string&, int32_t, platform::WindowHandle) override {
      throw host::HostError(host::kErrFileNotFound, "The help viewer hhctrl.ocx is not installed");
    }
  } ui;
  platform::FakePlatform fake;
  platform::Platform platform{ui, fake.files, fake.registry, fake.processes, fake.folders, fake.settings, fake.clock};
  EXPECT_NO_THROW(fncShowHelp(platform, kHelpFile, kHelpUsing, 0));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(ui.shown[0].text.rfind("Error: 53 ", 0), 0u);
}

TEST(HelpLinksTest, AnAboutBoxThatFailsEndsQuietlyAndHidden) {
  platform::FakeUi ui;
  frmVellAbout_COM about;
  ui.user = [](platform::ModalDialog&) { throw host::HostError(host::kErrInvalidProcedureCall, "no window"); };
  EXPECT_NO_THROW(fncShowAbout(ui, about));
  EXPECT_FALSE(about.Visible());
  EXPECT_EQ(ui.modal_showings, 1);
}

}  // namespace
}  // namespace tarnwell::dialog
