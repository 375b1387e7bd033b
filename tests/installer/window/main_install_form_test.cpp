#include "installer/window/main_install_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "box_catcher.h"
#include "htmltext/visual_item.h"
#include "htmltext/widget/html_text.h"
#include "installer/exception_handling.h"
#include "installer/label_lines.h"
#include "installer/support/fresh_form.h"
#include "installer/support/recording_environment.h"
#include "installer/support/window_design.h"
#include "installer/window/application_title.h"
#include "installer/window/html_label.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "qt_app.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

// A window for an executable of that name; nothing is started on close.
class TFormFixture {
 public:
  explicit TFormFixture(const std::u16string& executable = u"/opt/vornel/InstallTarvo") {
    test::App();
    Form = std::make_unique<TMainInstallForm>(
        State, test::RecordingEnvironment(executable, StartedScript));
  }
  QWidget* Find(const char* name) const {
    if (Form->objectName() == QLatin1String(name))
      return Form.get();
    return Form->findChild<QWidget*>(QString::fromLatin1(name));
  }

  TInstallerState State;
  std::u16string StartedScript;  // the script the close handler started
  std::unique_ptr<TMainInstallForm> Form;
};

using test::TBoxCatcher;

using test::DesignControls;
using test::DesignLabels;
using test::TDesignControl;
using test::TDesignLabel;

TEST(MainInstallFormTest, WindowAsBuilt) {
  TFormFixture f;
  f.Form->show();
  QWidget& w = *f.Form;
  EXPECT_EQ(w.size(), QSize(594, 269));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());  // fixed size
  EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(w.font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(w.font().pixelSize(), 11);
  EXPECT_EQ(w.palette().color(QPalette::Window), w.palette().color(QPalette::Button));
  // Centred on its screen.
  const QPoint centre = w.screen()->availableGeometry().center();
  EXPECT_LE((w.frameGeometry().center() - centre).manhattanLength(), 2);
  auto* pages = qobject_cast<QStackedWidget*>(f.Find("PC_Main"));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->widget(0)->objectName(), QStringLiteral("TS_Step1"));
  EXPECT_EQ(pages->widget(1)->objectName(), QStringLiteral("TS_Step2"));
  EXPECT_EQ(pages->widget(2)->objectName(), QStringLiteral("TS_Step3"));
  EXPECT_EQ(pages->widget(0)->size(), QSize(370, 188));
}

TEST(MainInstallFormTest, ControlsAsBuilt) {
  TFormFixture f;
  // Labels that size their height are checked for place and width below.
  for (const TDesignControl& row : DesignControls) {
    SCOPED_TRACE(row.Name);
    QWidget* c = f.Find(row.Name);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(c->parentWidget(), nullptr);
    EXPECT_EQ(c->parentWidget()->objectName(), QLatin1String(row.Parent));
    EXPECT_EQ(c->geometry(), QRect(row.Left, row.Top, row.Width, row.Height));
    EXPECT_EQ(!c->isHidden(), row.Visible);
    EXPECT_TRUE(c->isEnabled());
    if (row.Text) {
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(c))
        text = b->text();
      if (auto* l = qobject_cast<QLabel*>(c))
        text = l->text();
      EXPECT_EQ(text, QString::fromStdU16String(row.Text));
    }
  }
  auto* box = qobject_cast<QCheckBox*>(f.Find("ChB_Zaloha"));
  EXPECT_FALSE(box->isChecked());
  for (const char* name : {"ArPB_Down", "ArPB_Main"}) {
    auto* bar = qobject_cast<QProgressBar*>(f.Find(name));
    EXPECT_EQ(bar->minimum(), 0) << name;
    EXPECT_EQ(bar->maximum(), 100) << name;
    EXPECT_EQ(bar->value(), 0) << name;
    EXPECT_EQ(bar->orientation(), Qt::Horizontal) << name;
  }
  auto* image = qobject_cast<QLabel*>(f.Find("Image1"));
  EXPECT_EQ(image->pixmap().size(), QSize(184, 250));
  EXPECT_EQ(qobject_cast<QLabel*>(f.Find("Label1"))->alignment(), Qt::AlignCenter);
  EXPECT_EQ(f.Find("Label1")->font().pixelSize(), 13);
  EXPECT_EQ(f.Find("B_StornoDown")->cursor().shape(), Qt::ArrowCursor);
}

TEST(MainInstallFormTest, LabelsAsBuilt) {
  TFormFixture f;
  for (const TDesignLabel& row : DesignLabels) {
    SCOPED_TRACE(row.Name);
    QWidget* c = f.Find(row.Name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->parentWidget()->objectName(), QLatin1String(row.Parent));
    EXPECT_EQ(c->pos(), QPoint(row.Left, row.Top));
    if (row.Width) {
      EXPECT_EQ(c->width(), row.Width);
    }
    EXPECT_GT(c->height(), 0);
    EXPECT_EQ(!c->isHidden(), row.Visible);
    EXPECT_EQ(c->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(c->font().pixelSize(), row.PixelHeight);
    EXPECT_EQ(c->font().bold(), row.Bold);
  }
}

TEST(MainInstallFormTest, IntroductionGrowsToItsTextAndKeepsItsWidth) {
  for (const char16_t* executable : {u"/opt/v/InstallTarvo", u"/opt/v/InstallKveloWin"}) {
    TFormFixture f(executable);
    TVqHTMLText* intro = f.Form->Label(TControl::HTMText_Uvod);
    EXPECT_EQ(intro->width(), 378);
    EXPECT_EQ(intro->height(), intro->TextHeight());
    EXPECT_GE(intro->height(), 26);  // two lines at least, as built
    EXPECT_EQ(intro->LineCount(), 2);
    EXPECT_GE(intro->TextWidth(), 300);
    EXPECT_LE(intro->TextWidth(), 378);
  }
}

// The words of a label as laid out: "text left,top-right" a word, one line of
// words a line.
std::string WordLayout(const TVqHTMLText& label) {
  std::string layout;
  std::int64_t top = -1;
  for (const auto& item : label.VisualItems()) {
    const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get());
    if (word == nullptr || word->Text == u" ")
      continue;
    if (top != word->Rect.Top && top != -1)
      layout += "\n";
    else if (top != -1)
      layout += " | ";
    top = word->Rect.Top;
    layout += QString::fromStdU16String(word->Text).toStdString() + " " +
              std::to_string(word->Rect.Left) + "," + std::to_string(word->Rect.Top) + "-" +
              std::to_string(word->Rect.Right);
  }
  return layout;
}

// Bold words are measured with Tahoma Bold's own widths, so the introduction keeps
// the line breaks and word places it has always had.
TEST(MainInstallFormTest, IntroductionWrapsAsBefore) {
  const struct {
    const char16_t* Executable;
    const char* Layout;
  } cases[] = {
      {u"/opt/v/InstallTarvo",
       "S 0,0-6 | instalací 9,0-48 | účetního 51,0-99 | průvodce 102,0-153 | Tarvo 156,0-187 | "
       "Vám 190,0-212 | pomůže 215,0-253 | náš 256,0-273 | instalátor. 276,0-324 | "
       "Postupujte 327,0-378\n"
       "podle 0,13-26 | následujících 29,13-91 | kroků: 94,13-125"},
      {u"/opt/v/InstallKveloWin",
       "S 0,0-6 | instalací 9,0-48 | Kvelo 51,0-82 | pro 85,0-103 | Windows 106,0-157 | "
       "Vám 160,0-182 | pomůže 185,0-223 | náš 226,0-243 | instalátor. 246,0-294 | "
       "Postupujte 297,0-348 | podle 351,0-377\n"
       "následujících 0,13-62 | kroků: 65,13-96"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QString::fromStdU16String(c.Executable).toStdString());
    TFormFixture f(c.Executable);
    EXPECT_EQ(WordLayout(*f.Form->Label(TControl::HTMText_Uvod)), c.Layout);
  }
}

// How much darker than the background a label renders its markup: the sum over
// its pixels, 1 for a fully black pixel.
double InkOf(int pixelSize, const std::u16string& markup) {
  test::App();
  TVqHTMLText label;
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixelSize);
  label.setFont(font);
  QPalette colours = label.palette();
  colours.setColor(QPalette::Window, Qt::white);
  colours.setColor(QPalette::WindowText, Qt::black);
  label.setPalette(colours);
  label.setAutoFillBackground(true);
  label.SetAutoWidth(true);
  label.SetAutoHeight(true);
  label.SetLines({markup});
  const QImage image = label.grab().toImage();
  double ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      ink += (255 - qGray(image.pixel(x, y))) / 255.0;
  }
  return ink;
}

// The window's bold: the product name, the button names, the step numbers, the
// status line's values; at 8 points (11 pixels) and at the step numbers' 13.
TEST(MainInstallFormTest, BoldTextIsVisiblyBold) {
  const struct {
    int PixelSize;
    const char16_t* Text;
  } cases[] = {
      {11, u"účetního průvodce Tarvo"},
      {11, u"[Rozbalit]"},
      {11, u"[Instalovat]"},
      {11, u"412,375 MB"},
      {11, u"Instalace byla úspěšně provedena."},
      {13, u"1."},
      {13, u"2."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QString::fromStdU16String(c.Text).toStdString() + " at " +
                 std::to_string(c.PixelSize) + " px");
    const double regular = InkOf(c.PixelSize, c.Text);
    const double bold = InkOf(c.PixelSize, u"<B>" + std::u16string(c.Text) + u"</B>");
    ASSERT_GT(regular, 0.0);
    EXPECT_GE(bold, 1.3 * regular) << "regular " << regular << ", bold " << bold;
  }
}

// Qt's own texts come from the Czech translations compiled into the program,
// whatever the desktop: the folder picker (Qt's dialog where the desktop offers
// none) and the message boxes.
TEST(MainInstallFormTest, StandardDialogsReadCzech) {
  TFormFixture f;
  f.Form->show();
  QStringList buttons, labels;
  QString title;
  // Looked for until the picker is up, however long that takes under load.
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible())
      return;
    poll.stop();
    title = dialog->windowTitle();
    for (auto* button : dialog->findChildren<QAbstractButton*>()) {
      if (!button->text().isEmpty())
        buttons << button->text();
    }
    for (auto* label : dialog->findChildren<QLabel*>())
      labels << label->text();
    dialog->close();
  });
  poll.start();
  EXPECT_EQ(f.Form->PickFolder(), std::nullopt);
  SCOPED_TRACE((title + " / " + buttons.join(", ") + " / " + labels.join(", ")).toStdString());
  EXPECT_EQ(title, QStringLiteral("Najít adresář"));
  EXPECT_TRUE(buttons.contains(QStringLiteral("&Vybrat")));
  EXPECT_TRUE(buttons.contains(QStringLiteral("Zrušit")));
  EXPECT_TRUE(labels.contains(QStringLiteral("Hledat v:")));
  for (const char* english : {"&Choose", "Choose", "Cancel"})
    EXPECT_FALSE(buttons.contains(QLatin1String(english))) << english;

  QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                  QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel |
                      QMessageBox::Close);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ano"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Ne"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Zrušit"));
  EXPECT_EQ(box.button(QMessageBox::Close)->text(), QStringLiteral("Zavřít"));
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));  // Czech as well
}

TEST(MainInstallFormTest, StepNumbersAreAsWideAsTheirText) {
  TFormFixture f;
  QFont bold(QStringLiteral("Tahoma"));
  bold.setPixelSize(13);
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  for (const char* name : {"HTMText_KrokN1", "HTMText_KrokN2", "HTMText_KrokN3"}) {
    SCOPED_TRACE(name);
    auto* label = static_cast<TVqHTMLText*>(f.Find(name));
    const QString text = QString::fromStdU16String(label->Lines().at(0));
    EXPECT_EQ(label->width(), label->TextWidth());
    EXPECT_EQ(label->width(), metrics.horizontalAdvance(text));
    EXPECT_EQ(label->height(), label->TextHeight());
  }
}

// Pixels of a rendered panel; counts those of a kind inside a rectangle.
int CountPixels(const QImage& image, QRect area, const std::function<bool(QRgb)>& kind) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x)
      count += kind(image.pixel(x, y)) ? 1 : 0;
  }
  return count;
}

TEST(MainInstallFormTest, WithBothOutcomesOnlyTheSuccessTextIsSeen) {
  TFormFixture f;
  f.Form->show();
  f.Form->ShowPage(TS_Step3);
  QWidget* panel = f.Find("P_Step3");
  auto render = [&](bool failure, bool success) {
    f.Form->SetVisible(TControl::HTMText_InfoSetup_NoOK, failure);
    f.Form->SetVisible(TControl::HTMText_InfoSetup_OK, success);
    return panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
  };
  const QRect outcome = f.Find("HTMText_InfoSetup_NoOK")->geometry();
  auto dark = [](QRgb p) { return qGray(p) < 100; };
  auto green = [](QRgb p) { return qGreen(p) > 120 && qRed(p) < 80 && qBlue(p) < 80; };

  const QImage failureOnly = render(true, false);
  const QImage successOnly = render(false, true);
  const QImage both = render(true, true);
  ASSERT_GT(CountPixels(failureOnly, outcome, dark), 50);  // the failure text is drawn
  EXPECT_EQ(CountPixels(failureOnly, outcome, green), 0);
  EXPECT_GT(CountPixels(both, outcome, green), 50);  // the green success line
  // Nothing of the failure text shows through: the pixels are those of success alone.
  const QRect successArea = f.Find("HTMText_InfoSetup_OK")->geometry();
  EXPECT_EQ(both.copy(successArea), successOnly.copy(successArea));
  // The success label paints its whole rectangle; its empty corner is button face.
  const QColor face = panel->palette().color(QPalette::Button);
  EXPECT_EQ(QColor(both.pixel(successArea.right() - 1, successArea.top() + 1)), face);
}

TEST(MainInstallFormTest, TabOrderOfEveryPage) {
  TFormFixture f;
  auto next = [&](const char* name) { return f.Find(name)->nextInFocusChain(); };
  EXPECT_EQ(next("B_StartK1"), f.Find("B_StornoDown"));
  EXPECT_EQ(next("B_StornoDown"), f.Find("ArPB_Down"));
  EXPECT_EQ(next("B_RozbalK2"), f.Find("ChB_Zaloha"));
  EXPECT_EQ(next("ChB_Zaloha"), f.Find("ArPB_Main"));
  EXPECT_EQ(next("B_InstalK3"), f.Find("B_Storno"));
}

TEST(MainInstallFormTest, LaterLabelsLieAbove) {
  TFormFixture f;
  QObjectList children = f.Find("P_Step3")->children();
  EXPECT_GT(children.indexOf(f.Find("HTMText_InfoSetup_OK")),
            children.indexOf(f.Find("HTMText_InfoSetup_NoOK")));
  children = f.Find("P_Step2")->children();
  EXPECT_GT(children.indexOf(f.Find("HTMText_Krok2_1")),
            children.indexOf(f.Find("HTMText_Krok2_2")));
}

TEST(MainInstallFormTest, FormCreateForEachIdentity) {
  for (const test::TDesignIdentity& row : test::DesignIdentities) {
    const std::u16string executable = std::u16string(u"/opt/v/") + row.Name;
    SCOPED_TRACE(QString::fromStdU16String(executable).toStdString());
    TFormFixture f(executable);
    EXPECT_EQ(f.Form->windowTitle(), QString::fromStdU16String(row.Caption));
    test::ExpectFreshForm(*f.Form, f.State, row.Product, u"/opt/v/");
  }
}

TEST(MainInstallFormTest, ViewOperationsReachTheControls) {
  TFormFixture f;
  TInstallerView& view = *f.Form;
  view.ShowPage(TS_Step3);
  EXPECT_EQ(f.Form->PageIndex(), TS_Step3);
  view.SetVisible(TControl::B_Storno, true);
  EXPECT_FALSE(f.Find("B_Storno")->isHidden());
  view.SetEnabled(TControl::B_InstalK3, false);
  EXPECT_FALSE(f.Find("B_InstalK3")->isEnabled());
  view.SetButtonCaption(TControl::B_InstalK3, u"Dokončit");
  EXPECT_EQ(view.ButtonCaption(TControl::B_InstalK3), u"Dokončit");

  view.SetProgressMax(TControl::ArPB_Down, 250);
  EXPECT_EQ(view.ProgressMax(TControl::ArPB_Down), 250);
  view.SetProgressPosition(TControl::ArPB_Down, 300);  // stops at the end
  EXPECT_EQ(qobject_cast<QProgressBar*>(f.Find("ArPB_Down"))->value(), 250);
  view.SetProgressPosition(TControl::ArPB_Main, 42);
  EXPECT_EQ(qobject_cast<QProgressBar*>(f.Find("ArPB_Main"))->value(), 42);

  view.SetLabelText(TControl::HTMText_InfoDown, u"a\r\nb");
  EXPECT_EQ(view.LabelLinesText(TControl::HTMText_InfoDown), u"a\r\nb\r\n");
  EXPECT_EQ(dynamic_cast<TVqHTMLText*>(f.Find("HTMText_InfoDown"))->Text(), u"a\r\nb");

  view.SetBusyCursor(true);
  view.SetBusyCursor(true);  // once on the cursor stack, however often asked
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  view.SetBusyCursor(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  int clicks = 0;
  f.Form->OnBackupClick = [&] {
    ++clicks;
    EXPECT_EQ(view.BackupChecked(), clicks == 1);
  };
  view.SetBackupChecked(true);
  view.SetBackupChecked(true);  // no change, no click
  view.SetBackupChecked(false);
  EXPECT_EQ(clicks, 2);
}

TEST(MainInstallFormTest, CloseIsRefusedWhileBusyAndWritesTheScriptOtherwise) {
  testing::TTempDir folder;
  TFormFixture f(folder.Join("InstallTarvo"));
  TBoxCatcher catcher;
  f.Form->show();
  for (bool* busy : {&f.State.DownloadActive, &f.State.UnZipperActive}) {
    *busy = true;
    EXPECT_FALSE(f.Form->close());
    *busy = false;
  }
  EXPECT_TRUE(f.StartedScript.empty());
  EXPECT_TRUE(f.Form->close());
  EXPECT_EQ(ExtractFilePath(f.StartedScript), folder.Join(""));
  EXPECT_TRUE(ExtractFileName(f.StartedScript).starts_with(u"SelfDelete-"));
  EXPECT_TRUE(FileExists(f.StartedScript));
  EXPECT_TRUE(catcher.Boxes.empty());
}

TEST(MainInstallFormTest, AnExceptionOfAHandlerReachesOneErrorBox) {
  TFormFixture f;
  TBoxCatcher catcher;
  int after = 0;
  // Only the handlers of this test run on these buttons.
  for (const char* name : {"B_StartK1", "B_RozbalK2", "B_StornoDown"}) {
    QObject::disconnect(qobject_cast<QAbstractButton*>(f.Find(name)), &QAbstractButton::clicked,
                        nullptr, nullptr);
  }
  f.Form->OnClick(TControl::B_StartK1, [] { throw Exception(u"Socket Error # 10061"); });
  f.Form->OnClick(TControl::B_RozbalK2, [] { throw EAbort(); });
  f.Form->OnClick(TControl::B_StornoDown, [&] { ++after; });

  qobject_cast<QAbstractButton*>(f.Find("B_StartK1"))->click();
  qobject_cast<QAbstractButton*>(f.Find("B_RozbalK2"))->click();    // silent
  qobject_cast<QAbstractButton*>(f.Find("B_StornoDown"))->click();  // the loop goes on
  ASSERT_EQ(catcher.Boxes.size(), 1u);
  EXPECT_EQ(catcher.Boxes[0].Text, QStringLiteral("Socket Error # 10061."));
  EXPECT_EQ(catcher.Boxes[0].Title, ApplicationTitleOf(ExecutablePath()));
  EXPECT_EQ(catcher.Boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(after, 1);
}

TEST(MainInstallFormTest, AnExceptionEscapingAnEventGoesToTheBackstop) {
  TFormFixture f;
  TBoxCatcher catcher;
  test::App().OnException = [&] { HandleException(*f.Form); };
  // An event handler outside the window's own handlers.
  class TThrower : public QObject {
   public:
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User)
        throw Exception(u"Disk full");
      return QObject::event(e);
    }
  } thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  test::App().OnException = nullptr;
  ASSERT_EQ(catcher.Boxes.size(), 1u);
  EXPECT_EQ(catcher.Boxes[0].Text, QStringLiteral("Disk full."));
}

TEST(ApplicationTitleTest, CutBeforeTheFirstDot) {
  EXPECT_EQ(ApplicationTitleOf(u"/opt/InstallTarvo"), QStringLiteral("InstallTarvo"));
  EXPECT_EQ(ApplicationTitleOf(u"/opt/InstallTarvo.exe"), QStringLiteral("InstallTarvo"));
  EXPECT_EQ(ApplicationTitleOf(u"/opt.d/Install.a.b"), QStringLiteral("Install"));
  EXPECT_EQ(ApplicationTitleOf(u"/opt/.hidden"), QString());
}

}  // namespace
}  // namespace vornel
