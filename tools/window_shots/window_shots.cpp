// Renders the installer's window in its states to PNG files:
//   vornel_window_shots FOLDER
// page1.png (download), page2.png (unpack), page3.png (install, ready),
// page3-failure.png and page3-success.png (the two outcomes of the install step).
// The window is driven through its view operations, as the wizard's steps do.
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <functional>

#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/window/installer_application.h"
#include "installer/window/main_install_form.h"

namespace {

using vornel::TControl;

bool Save(vornel::TMainInstallForm& form, const QDir& folder, const char* name) {
  form.PumpMessages();
  const QString path = folder.filePath(QString::fromLatin1(name));
  if (!form.grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  vornel::TInstallerApplication application(argc, argv);
  QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral(".")))
    return 1;

  vornel::TInstallerState state;
  vornel::TInstallerEnvironment environment;
  environment.ExecutablePath = u"/opt/vornel/InstallTarvo";
  environment.StartScript = [](const std::u16string&) { return false; };
  vornel::TMainInstallForm form(state, std::move(environment));
  form.show();

  bool ok = Save(form, folder, "page1.png");
  form.ShowPage(vornel::TS_Step2);
  ok = Save(form, folder, "page2.png") && ok;
  form.ShowPage(vornel::TS_Step3);
  ok = Save(form, folder, "page3.png") && ok;
  form.SetVisible(TControl::HTMText_InfoSetup_NoOK, true);
  form.SetVisible(TControl::B_Storno, true);
  ok = Save(form, folder, "page3-failure.png") && ok;
  // A retry that succeeds: both outcome labels are visible, the success text on top.
  form.SetVisible(TControl::B_Storno, false);
  form.SetVisible(TControl::HTMText_InfoSetup_OK, true);
  form.SetButtonCaption(TControl::B_InstalK3, u"Dokončit");
  ok = Save(form, folder, "page3-success.png") && ok;
  return ok ? 0 : 1;
}
