// The installer's window on its own (any Qt platform), with "Start" clicked once it
// is shown: prints every status line the download shows, then what it ended in.
//
//     download_demo TEMP_FOLDER
#include <QAbstractButton>
#include <QTimer>
#include <cstdio>
#include <string>

#include "installer/window/installer_application.h"
#include "installer/window/main_install_form.h"
#include "platform/text.h"

namespace {

using namespace vornel;

class TPrintingForm : public TMainInstallForm {
 public:
  using TMainInstallForm::TMainInstallForm;
  void SetLabelText(TControl label, const std::u16string& markup) override {
    TMainInstallForm::SetLabelText(label, markup);
    if (label != TControl::HTMText_InfoDown)
      return;
    // Every line would be too many: the first, one in 64, and the last.
    if (++FLines % 64 == 1 || markup.find(u"ukončeno") != std::u16string::npos)
      std::printf("download_demo: %s\n", ToUtf8(markup).c_str());
  }

 private:
  int FLines = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: download_demo TEMP_FOLDER\n");
    return 2;
  }
  TInstallerApplication app(argc, argv);
  TInstallerState state;
  TInstallerEnvironment environment;
  environment.ExecutablePath = u"/opt/vornel/InstallTarvo";
  environment.StartScript = [](const std::u16string&) { return true; };
  TPrintingForm form(state, std::move(environment));
  const std::u16string temp = FromUtf8(std::string(argv[1]) + "/");
  form.Wizard().DownloadStep().TempFolder = [temp] { return temp; };
  form.show();
  QTimer::singleShot(500, &form, [&] {
    form.findChild<QAbstractButton*>("B_StartK1")->click();
    std::printf("download_demo: page %d, %s, set at %s\n", form.PageIndex(),
                state.DownloadAborted ? "cancelled" : "not cancelled",
                ToUtf8(state.CilDataFile).c_str());
    app.quit();
  });
  return app.exec() == 0 && form.PageIndex() == 1 ? 0 : 1;
}
