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
#include <map>
#include <string_view>
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

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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
QWidget* MakePanel(QWidget* parent, QRect place) {
  auto* panel = new QWidget(parent);
  panel->setGeometry(place);
  panel->setAutoFillBackground(true);
  return panel;
}

QProgressBar* MakeBar(QWidget* parent, QRect place) {
  auto* bar = new TArProgressBar(parent);
  bar->setGeometry(place);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setVisible(false);
  return bar;
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
  setObjectName(Latin1(WindowName));
  setWindowTitle(QString::fromStdU16String(std::u16string(WindowCaption)));
  setFixedSize(WindowClientWidth, WindowClientHeight);
  setFont(Tahoma(WindowFontHeight));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);

  std::map<std::string_view, QWidget*> widgets{{WindowName, this}};
  // The controls that have a place in the tab order, by parent and place.
  std::map<QWidget*, std::map<int, QWidget*>> tabOrder;
  for (const TLayoutControl& row : WindowLayout()) {
    QWidget* parent = widgets.at(row.Parent);
    QWidget* widget = MakeControl(row, parent);
    widgets[row.Name] = widget;
    if (row.TabOrder >= 0)
      tabOrder[parent][row.TabOrder] = widget;
  }
  FPages->setCurrentIndex(TS_Step1);
  for (const auto& [parent, siblings] : tabOrder) {
    QWidget* previous = nullptr;
    for (const auto& [place, widget] : siblings) {
      if (previous != nullptr)
        setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

QWidget* TMainInstallForm::MakeControl(const TLayoutControl& row, QWidget* parent) {
  const QRect place(row.Place.Left, row.Place.Top, row.Place.Width, row.Place.Height);
  const char* name = row.Name.data();  // the table's names are string literals
  QWidget* widget = nullptr;
  switch (row.Kind) {
    case TLayoutKind::lkPanel:
      widget = MakePanel(parent, place);
      break;
    case TLayoutKind::lkTitlePanel:
      widget = new TBevelPanel(parent);
      widget->setGeometry(place);
      break;
    case TLayoutKind::lkPlainLabel: {
      auto* label = new QLabel(Q(JoinedText(row, u"\n")), parent);
      label->setGeometry(place);
      label->setAlignment(Qt::AlignCenter);
      widget = label;
      break;
    }
    case TLayoutKind::lkPicture: {
      auto* image = new QLabel(parent);
      image->setGeometry(place);
      image->setPixmap(QPixmap(QString::fromLatin1(PictureResource)));
      image->setScaledContents(false);
      image->setAlignment(Qt::AlignCenter);
      widget = image;
      break;
    }
    case TLayoutKind::lkPageControl:
      FPages = new QStackedWidget(parent);
      FPages->setGeometry(place);
      // The page area of a page control whose tabs are hidden.
      FPages->setContentsMargins(4, 4, 4, 6);
      widget = FPages;
      break;
    case TLayoutKind::lkPage:
      // At the place that the page control's margins give it.
      widget = new QWidget(FPages);
      FPages->addWidget(widget);
      widget->setGeometry(place);
      break;
    case TLayoutKind::lkHTMLLabel: {
      std::optional<QFont> font;
      if (row.FontHeight != 0)
        font = Tahoma(row.FontHeight, row.Bold);
      widget = MakeHTMLLabel(
          parent, {.Name = name,
                   .Place = place,
                   .Font = font,
                   .AutoWidth = row.AutoWidth,
                   .AutoHeight = row.AutoHeight,
                   .Lines = std::vector<std::u16string>(row.Lines.begin(), row.Lines.end()),
                   .Visible = row.Visible,
                   .ButtonFaceBackground = row.ButtonFaceBackground});
      if (row.Role)
        FLabels[static_cast<size_t>(*row.Role)] = static_cast<TVqHTMLText*>(widget);
      break;
    }
    case TLayoutKind::lkButton: {
      auto* button = new QPushButton(Q(JoinedText(row, u"\n")), parent);
      button->setGeometry(place);
      button->setAutoDefault(false);
      widget = button;
      break;
    }
    case TLayoutKind::lkCheckBox:
      FBackupBox = new QCheckBox(Q(JoinedText(row, u"\n")), parent);
      FBackupBox->setGeometry(place);
      connect(FBackupBox, &QCheckBox::clicked, this, [this] { ChB_ZalohaClick(); });
      widget = FBackupBox;
      break;
    case TLayoutKind::lkProgressBar:
      widget = MakeBar(parent, place);
      break;
  }
  widget->setObjectName(Latin1(row.Name));
  if (row.Kind != TLayoutKind::lkHTMLLabel) {
    if (row.FontHeight != 0)
      widget->setFont(Tahoma(row.FontHeight, row.Bold));
    if (!row.Visible)
      widget->setVisible(false);
  }
  if (row.Role)
    Register(*row.Role, widget);
  return widget;
}

void TMainInstallForm::Register(TControl control, QWidget* widget) {
  FControls[static_cast<size_t>(control)] = widget;
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
  return LinesText(HTMLLabelLines(*Label(label)));
}

void TMainInstallForm::SetLabelLinesText(TControl label, const std::u16string& text) {
  SetHTMLLabelLines(*Label(label), SplitLinesText(text));
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
