// Renders the installer's window along a real run to PNG files:
//   vornel_window_shots FOLDER HOST
// HOST serves the set (scripts/screenshots starts the demo server there, slowly
// enough that the progress is seen); the set's Setup.exe must end with exit code 1.
// The window downloads, unpacks and installs through its own steps, and is grabbed
// on the way:
//   page1.png           the download page before "Start"
//   page1-download.png  the download half-way: the status line and the bar
//   page2.png           the unpack page when the set is there
//   page2-unpack.png    the unpacking under way: the item meter
//   page3.png           the install page before "Instalovat"
//   page3-failure.png   after the set's program failed (exit code 1)
//   page3-success.png   after a second run that succeeded: "Dokončit"
// The window is never closed, so nothing of the run is cleaned up by it; the
// temporary folder goes with the program.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProgressBar>
#include <QTemporaryDir>
#include <cstdio>

#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/window/installer_application.h"
#include "installer/window/main_install_form.h"

namespace {

using vornel::TControl;

class TShots {
 public:
  TShots(vornel::TMainInstallForm& form, const QDir& folder) : FForm(form), FFolder(folder) {}

  void Save(const char* name) {
    const QString path = FFolder.filePath(QString::fromLatin1(name));
    if (!FForm.grab().save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      FOk = false;
      return;
    }
    std::printf("%s\n", qPrintable(path));
  }
  // Saves once, the first time the bar's value lies in [from, to] of its maximum.
  void SaveWhenBarReaches(QProgressBar* bar, double from, double to, const char* name) {
    QObject::connect(bar, &QProgressBar::valueChanged, bar,
                     [this, bar, from, to, name, done = false](int value) mutable {
                       const double share = bar->maximum() > 0 ? double(value) / bar->maximum() : 0;
                       if (done || share < from || share > to)
                         return;
                       done = true;
                       Save(name);
                     });
  }
  void Click(TControl button) {
    qobject_cast<QAbstractButton*>(FForm.Control(button))->click();
    FForm.PumpMessages();
  }
  void Expect(bool condition, const char* what) {
    if (!condition) {
      std::fprintf(stderr, "unexpected: %s\n", what);
      FOk = false;
    }
  }
  bool Ok() const { return FOk; }

 private:
  vornel::TMainInstallForm& FForm;
  QDir FFolder;
  bool FOk = true;
};

// The set's program, rewritten to end with exit code 0 for the second run.
bool WriteSucceedingSetup(const std::u16string& installDir) {
  QFile setup(QString::fromStdU16String(installDir) + QStringLiteral("/Setup.exe"));
  if (!setup.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  setup.write("#!/bin/sh\nexit 0\n");
  return setup.setPermissions(setup.permissions() | QFileDevice::ExeOwner);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER HOST\n", argv[0]);
    return 2;
  }
  vornel::TInstallerApplication application(argc, argv);
  QDir folder(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir temp;
  if (!folder.mkpath(QStringLiteral(".")) || !temp.isValid())
    return 1;

  vornel::TInstallerState state;
  vornel::TInstallerEnvironment environment;
  environment.ExecutablePath = u"/opt/vornel/InstallTarvo";
  environment.StartScript = [](int, const std::u16string&) { return false; };
  vornel::TMainInstallForm form(state, std::move(environment));
  vornel::TDownloadStep& download = form.Wizard().DownloadStep();
  download.Host = QString::fromLocal8Bit(argv[2]).toStdU16String();
  download.TempFolder = [&temp] { return (temp.path() + QStringLiteral("/")).toStdU16String(); };
  form.show();
  form.PumpMessages();

  TShots shots(form, folder);
  shots.Save("page1.png");
  shots.SaveWhenBarReaches(form.findChild<QProgressBar*>(QStringLiteral("ArPB_Down")), 0.45, 0.7,
                           "page1-download.png");
  shots.Click(TControl::B_StartK1);
  shots.Expect(form.PageIndex() == vornel::TS_Step2, "the set downloaded");
  shots.Save("page2.png");

  // The largest item fills the meter slowly enough to be caught half-way.
  shots.SaveWhenBarReaches(form.findChild<QProgressBar*>(QStringLiteral("ArPB_Main")), 0.4, 0.7,
                           "page2-unpack.png");
  shots.Click(TControl::B_RozbalK2);
  shots.Expect(form.PageIndex() == vornel::TS_Step3, "the set unpacked");
  shots.Save("page3.png");

  shots.Click(TControl::B_InstalK3);
  shots.Expect(state.ExitCodeSetup == 1, "the set's program ended with exit code 1");
  shots.Save("page3-failure.png");
  shots.Expect(WriteSucceedingSetup(state.InstallDir), "Setup.exe rewritten");
  shots.Click(TControl::B_InstalK3);
  shots.Expect(state.ExitCodeSetup == 0, "the second run succeeded");
  shots.Save("page3-success.png");
  for (const char* name : {"page1-download.png", "page2-unpack.png"})
    shots.Expect(folder.exists(QString::fromLatin1(name)), name);
  return shots.Ok() ? 0 : 1;
}
