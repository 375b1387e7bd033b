#include "installer/window/main_install_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <algorithm>
#include <utility>

#include "htmltext/widget/html_text.h"
#include "installer/exception_handling.h"
#include "installer/label_lines.h"
#include "installer/window/application_title.h"
#include "installer/window/bevel_panel.h"
#include "installer/window/embedded_fonts.h"
#include "installer/window/html_label.h"
#include "installer/window/launcher_taskbar_sink.h"
#include "platform/file_system.h"
#include "zip/qt/progress_bar.h"

namespace vornel {

namespace {

QString Q(const std::u16string& text) {
  return QString::fromStdU16String(text);
}
std::u16string U(const QString& text) {
  return text.toStdU16String();
}

// Tahoma by its character height in pixels (-11 is 8 points at 96 dots per inch).
QFont Tahoma(int pixelHeight, bool bold = false) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferDefault);
  return font;
}

// A panel without bevel that paints its own background.
QWidget* MakePanel(QWidget* parent, const char* name, QRect place) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setGeometry(place);
  panel->setAutoFillBackground(true);
  return panel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, QRect place, const char16_t* text,
                        bool visible = true) {
  auto* button = new QPushButton(QString::fromStdU16String(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  button->setAutoDefault(false);
  button->setVisible(visible);
  return button;
}

QProgressBar* MakeBar(QWidget* parent, const char* name) {
  auto* bar = new TArProgressBar(parent);
  bar->setObjectName(QString::fromLatin1(name));
  // Aligned to the panel's bottom, the panel's whole width.
  bar->setGeometry(0, 176, 370, 12);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setVisible(false);
  return bar;
}

THTMLLabelSpec StepNumber(const char* name, const char16_t* text) {
  return {.Name = name,
          .Place = QRect(1, 2, 12, 16),
          .Font = Tahoma(13, true),
          .AutoWidth = true,
          .Lines = {text}};
}

}  // namespace

TMainInstallForm::TMainInstallForm(TInstallerState& state, TInstallerEnvironment environment,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FTaskbar(std::make_unique<TLauncherTaskbarSink>(
          QString::fromStdU16String(ExtractFileName(environment.ExecutablePath)) +
          QStringLiteral(".desktop"))) {
  BuildWindow();
  FWizard = std::make_unique<TInstallerWizard>(state, *this, std::move(environment));
  OnClick(TControl::B_RozbalK2, [this] { FWizard->B_RozbalK2Click(); });
  OnBackupClick = [this] { FWizard->ChB_ZalohaClick(); };
  OnClick(TControl::B_StartK1, [this] { FWizard->B_StartK1Click(); });
  OnClick(TControl::B_StornoDown, [this] { FWizard->B_StornoDownClick(); });
  FWizard->DownloadStep().SetDecimalSeparator(QLocale::system().decimalPoint().at(0).unicode());
  OnClick(TControl::B_InstalK3, [this] { FWizard->B_InstalK3Click(); });
  OnClick(TControl::B_Storno, [this] { FWizard->B_StornoClick(); });
  FWizard->FormCreate();
}

TMainInstallForm::~TMainInstallForm() {
  if (FBusyCursor)
    QGuiApplication::restoreOverrideCursor();
}

void TMainInstallForm::BuildWindow() {
  setObjectName(QStringLiteral("MainInstallForm"));
  setWindowTitle(QStringLiteral("Vornel instalátor: #PRODUKT#"));
  setFixedSize(ClientWidth, ClientHeight);
  setFont(Tahoma(11));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);

  Register(
      TControl::HTMText_Uvod,
      MakeHTMLLabel(this, {.Name = "HTMText_Uvod",
                           .Place = QRect(208, 40, 378, 26),
                           .Lines = {u"S instalací <B>#PRODUKT#</B> Vám pomůže náš instalátor. "
                                     u"Postupujte podle následujících kroků:"}}));

  auto* title = new TBevelPanel(this);
  title->setObjectName(QStringLiteral("P_Title"));
  title->setGeometry(208, 8, 377, 22);
  auto* label1 =
      new QLabel(QStringLiteral("Nakladatelství Vornel, a.s. Vás vítá v instalátoru"), title);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setGeometry(0, 0, 377, 22);
  label1->setAlignment(Qt::AlignCenter);
  label1->setFont(Tahoma(13));

  QWidget* imagePanel = MakePanel(this, "P_Image", QRect(2, 2, 198, 265));
  auto* image = new QLabel(imagePanel);
  image->setObjectName(QStringLiteral("Image1"));
  image->setGeometry(7, 7, 184, 250);
  image->setPixmap(QPixmap(QString::fromLatin1(PictureResource)));
  image->setScaledContents(false);
  image->setAlignment(Qt::AlignCenter);

  FPages = new QStackedWidget(this);
  FPages->setObjectName(QStringLiteral("PC_Main"));
  FPages->setGeometry(208, 69, 378, 198);
  // The page area of a page control whose tabs are hidden.
  FPages->setContentsMargins(4, 4, 4, 6);
  const char* pageNames[] = {"TS_Step1", "TS_Step2", "TS_Step3"};
  const char* panelNames[] = {"P_Step1", "P_Step2", "P_Step3"};
  for (int i = 0; i < 3; ++i) {
    auto* page = new QWidget(FPages);
    page->setObjectName(QString::fromLatin1(pageNames[i]));
    FPages->addWidget(page);
    QWidget* panel = MakePanel(page, panelNames[i], QRect(0, 0, 370, 188));
    if (i == 0)
      BuildPage1(panel);
    if (i == 1)
      BuildPage2(panel);
    if (i == 2)
      BuildPage3(panel);
  }
  FPages->setCurrentIndex(TS_Step1);

  // Tab order of the window: the title panel, the picture panel, the pages.
  setTabOrder(title, imagePanel);
  setTabOrder(imagePanel, FPages);
}

void TMainInstallForm::BuildPage1(QWidget* panel) {
  MakeHTMLLabel(panel, StepNumber("HTMText_KrokN1", u"1."));
  MakeHTMLLabel(panel,
                {.Name = "HTMText_Krok1",
                 .Place = QRect(20, 4, 349, 78),
                 .Font = Tahoma(11),
                 .Lines = {u"Stažení aktuální instalační sady z našich internetových stránek "
                           u"spustíte tlačítkem <B>[Start]</B>.",
                           u"",
                           u"Soubor má větší velikost, takže doba stahování je závislá na "
                           u"rychlosti Vašeho připojení a může trvat řádově desítky minut. "
                           u"Vyčkejte prosím než se soubor stáhne. Mezitím můžete na počítačí "
                           u"normálně pracovat."}});
  Register(TControl::HTMText_InfoDown, MakeHTMLLabel(panel, {.Name = "HTMText_InfoDown",
                                                             .Place = QRect(20, 116, 349, 13),
                                                             .Font = Tahoma(11),
                                                             .Lines = {u" "},
                                                             .Visible = false}));
  QPushButton* start = MakeButton(panel, "B_StartK1", QRect(288, 143, 75, 25), u"Start");
  QPushButton* cancel =
      MakeButton(panel, "B_StornoDown", QRect(207, 143, 75, 25), u"Storno", false);
  cancel->setCursor(Qt::ArrowCursor);
  QProgressBar* bar = MakeBar(panel, "ArPB_Down");
  setTabOrder(start, cancel);
  setTabOrder(cancel, bar);
  Register(TControl::B_StartK1, start);
  Register(TControl::B_StornoDown, cancel);
  Register(TControl::ArPB_Down, bar);
}

void TMainInstallForm::BuildPage2(QWidget* panel) {
  const char16_t* intro =
      u"Instalační sada byla úspěšně stažena. Rozbalení sady v dočasné složce spustíte "
      u"tlačítkem <B>[Rozbalit]</B>.";
  Register(TControl::HTMText_Krok2_2,
           MakeHTMLLabel(panel, {.Name = "HTMText_Krok2_2",
                                 .Place = QRect(20, 4, 349, 52),
                                 .Font = Tahoma(11),
                                 .Lines = {intro, u"", u"Probíhá rozbalování instalační sady ..."},
                                 .Visible = false}));
  MakeHTMLLabel(panel, StepNumber("HTMText_KrokN2", u"2."));
  Register(TControl::HTMText_Krok2_1,
           MakeHTMLLabel(panel, {.Name = "HTMText_Krok2_1",
                                 .Place = QRect(20, 4, 349, 52),
                                 .Font = Tahoma(11),
                                 .Lines = {intro, u"", u"Vyčkejte prosím. než se sada rozbalí."}}));
  Register(TControl::HTMText_BackupFolder, MakeHTMLLabel(panel, {.Name = "HTMText_BackupFolder",
                                                                 .Place = QRect(36, 90, 333, 13),
                                                                 .Lines = {u" "},
                                                                 .Visible = false}));
  QPushButton* unpack = MakeButton(panel, "B_RozbalK2", QRect(288, 143, 75, 25), u"Rozbalit");
  FBackupBox = new QCheckBox(
      QStringLiteral("Uchovat zálohu instalační sady pro pozdější použití ve složce:"), panel);
  FBackupBox->setObjectName(QStringLiteral("ChB_Zaloha"));
  FBackupBox->setGeometry(20, 71, 317, 17);
  connect(FBackupBox, &QCheckBox::clicked, this, [this] { ChB_ZalohaClick(); });
  QProgressBar* bar = MakeBar(panel, "ArPB_Main");
  setTabOrder(unpack, FBackupBox);
  setTabOrder(FBackupBox, bar);
  Register(TControl::B_RozbalK2, unpack);
  Register(TControl::ChB_Zaloha, FBackupBox);
  Register(TControl::ArPB_Main, bar);
}

void TMainInstallForm::BuildPage3(QWidget* panel) {
  MakeHTMLLabel(panel, {.Name = "HTMText_Krok3",
                        .Place = QRect(20, 4, 349, 65),
                        .Font = Tahoma(11),
                        .Lines = {u"Instalační soubory byly úspěšně rozbaleny a jsou připraveny k "
                                  u"instalaci, kterou spustíte tlačítkem <B>[Instalovat]</B>.",
                                  u"",
                                  u"Instalace bude probíhat v samostatném instalačním programu. Po "
                                  u"ukončení instalace budete vrácení zprátky do instalátoru.."}});
  MakeHTMLLabel(panel, StepNumber("HTMText_KrokN3", u"3."));
  Register(
      TControl::HTMText_InfoSetup_NoOK,
      MakeHTMLLabel(panel, {.Name = "HTMText_InfoSetup_NoOK",
                            .Place = QRect(20, 84, 350, 39),
                            .Lines = {u"Instalace nebyla dokončena. ",
                                      u"Pokud nechce pustit instalaci znovu, ukončete instalátor "
                                      u"tlačítkem <B>[Storno]</B>."},
                            .Visible = false}));
  Register(
      TControl::HTMText_InfoSetup_OK,
      MakeHTMLLabel(panel, {.Name = "HTMText_InfoSetup_OK",
                            .Place = QRect(20, 84, 350, 55),
                            .Lines = {u"<FS:10><FC:$0000B000><B>Instalace byla úspěšně "
                                      u"provedena.</B></FC></FS>",
                                      u"",
                                      u"Tlačítkem <B>[Dokončit]</B> instalátor provede závěrečný "
                                      u"úklid dočasných dat a případnou zálohu instalační sady."},
                            .Visible = false,
                            .ButtonFaceBackground = true}));
  QPushButton* install = MakeButton(panel, "B_InstalK3", QRect(288, 143, 75, 25), u"Instalovat");
  QPushButton* cancel = MakeButton(panel, "B_Storno", QRect(207, 143, 75, 25), u"Storno", false);
  setTabOrder(install, cancel);
  Register(TControl::B_InstalK3, install);
  Register(TControl::B_Storno, cancel);
}

void TMainInstallForm::Register(TControl control, QWidget* widget) {
  FControls[static_cast<size_t>(control)] = widget;
}

void TMainInstallForm::Register(TControl label, TVqHTMLText* widget) {
  FLabels[static_cast<size_t>(label)] = widget;
  Register(label, static_cast<QWidget*>(widget));
}

QPushButton* TMainInstallForm::Button(TControl button) const {
  return qobject_cast<QPushButton*>(Control(button));
}

QProgressBar* TMainInstallForm::Bar(TControl bar) const {
  return qobject_cast<QProgressBar*>(Control(bar));
}

IArProgressMeter& TMainInstallForm::ItemMeter() {
  return *static_cast<TArProgressBar*>(Bar(TControl::ArPB_Main));
}

int TMainInstallForm::PageIndex() const {
  return FPages->currentIndex();
}

void TMainInstallForm::OnClick(TControl button, std::function<void()> handler) {
  auto* clickable = qobject_cast<QAbstractButton*>(Control(button));
  connect(clickable, &QAbstractButton::clicked, this,
          [this, handler = std::move(handler)] { RunHandler(*this, handler); });
}

void TMainInstallForm::ChB_ZalohaClick() {
  if (OnBackupClick)
    RunHandler(*this, OnBackupClick);
}

void TMainInstallForm::SetVisible(TControl control, bool visible) {
  Control(control)->setVisible(visible);
}

void TMainInstallForm::SetEnabled(TControl control, bool enabled) {
  Control(control)->setEnabled(enabled);
}

std::u16string TMainInstallForm::Caption() {
  return U(windowTitle());
}

void TMainInstallForm::SetCaption(const std::u16string& caption) {
  setWindowTitle(Q(caption));
}

std::u16string TMainInstallForm::ButtonCaption(TControl button) {
  return U(Button(button)->text());
}

void TMainInstallForm::SetButtonCaption(TControl button, const std::u16string& caption) {
  Button(button)->setText(Q(caption));
}

void TMainInstallForm::SetLabelText(TControl label, const std::u16string& markup) {
  SetHTMLLabelText(*Label(label), markup);
}

std::u16string TMainInstallForm::LabelLinesText(TControl label) {
  return JoinLines(HTMLLabelLines(*Label(label)));
}

void TMainInstallForm::SetLabelLinesText(TControl label, const std::u16string& text) {
  SetHTMLLabelLines(*Label(label), SplitLines(text));
}

void TMainInstallForm::ShowPage(int pageIndex) {
  FPages->setCurrentIndex(pageIndex);
}

void TMainInstallForm::SetBusyCursor(bool busy) {
  if (busy == FBusyCursor)
    return;
  FBusyCursor = busy;
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void TMainInstallForm::SetWindowState(TWindowState state) {
  if (state == wsMinimized) {
    showMinimized();
  } else {
    showNormal();
  }
}

std::int32_t TMainInstallForm::ProgressMax(TControl bar) {
  return Bar(bar)->maximum();
}

void TMainInstallForm::SetProgressMax(TControl bar, std::int32_t maximum) {
  QProgressBar* progress = Bar(bar);
  progress->setMaximum(std::max(maximum, progress->minimum()));
}

void TMainInstallForm::SetProgressPosition(TControl bar, std::int32_t position) {
  // The bar ignores a value outside its range; a meter stops at its ends instead.
  QProgressBar* progress = Bar(bar);
  progress->setValue(std::clamp(position, progress->minimum(), progress->maximum()));
}

void TMainInstallForm::PumpMessages() {
  if (FSincePump.isValid() && FSincePump.nsecsElapsed() < PumpIntervalNs)
    return;
  QCoreApplication::processEvents();
  FSincePump.start();
}

void TMainInstallForm::MessageBox(const std::u16string& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Q(text), QMessageBox::Ok, this);
  box.exec();
}

void TMainInstallForm::ErrorBox(const std::u16string& text) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), Q(text), QMessageBox::Ok, this);
  box.exec();
}

bool TMainInstallForm::BackupChecked() {
  return FBackupBox->isChecked();
}

void TMainInstallForm::SetBackupChecked(bool checked) {
  if (checked == FBackupBox->isChecked())
    return;
  FBackupBox->setChecked(checked);
  ChB_ZalohaClick();
}

std::optional<std::u16string> TMainInstallForm::PickFolder() {
  if (OnPickFolder)
    return OnPickFolder();
  const QString folder = QFileDialog::getExistingDirectory(this);
  if (folder.isEmpty())
    return std::nullopt;
  return U(folder);
}

void TMainInstallForm::Close() {
  close();
}

void TMainInstallForm::closeEvent(QCloseEvent* event) {
  TCloseAction action = caFree;
  FWizard->FormClose(action);
  if (action == caNone) {
    event->ignore();
  } else {
    event->accept();
  }
}

void TMainInstallForm::showEvent(QShowEvent* event) {
  // Centred on the screen the first time it is shown.
  if (!FCentred) {
    FCentred = true;
    if (QScreen* screen = this->screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QWidget::showEvent(event);
}

}  // namespace vornel
