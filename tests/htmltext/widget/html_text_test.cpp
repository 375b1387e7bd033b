#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "htmltext/html_text_error.h"
#include "htmltext/widget/html_text.h"
#include "htmltext/widget/qt_colors.h"
#include "platform/text.h"
#include "support/label_words.h"
#include "support/link_click_log.h"

namespace vornel {
namespace {

// One application for the whole run, with Tahoma registered, so that every
// measurement is the same on every machine.
class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    FApp = std::make_unique<QApplication>(FArgc, FArgv);
    ASSERT_GE(QFontDatabase::addApplicationFont(TAHOMA_FONT), 0);
    ASSERT_GE(QFontDatabase::addApplicationFont(TAHOMA_BOLD_FONT), 0);
  }
  void TearDown() override { FApp.reset(); }

 private:
  int FArgc = 1;
  char FName[24] = "htmltext_widget_tests";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

class HTMLTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FWindow = std::make_unique<QWidget>();
    FWindow->resize(594, 269);
  }

  static QFont Tahoma(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
  }

  // A label on the window at the given place, in Tahoma of the given height.
  TVqHTMLText& Label(QRect place, int pixels = 11, bool bold = false) {
    auto* label = new TVqHTMLText(FWindow.get());
    label->setGeometry(place);
    label->setFont(Tahoma(pixels, bold));
    return *label;
  }

  static void Move(TVqHTMLText& label, QPoint point) {
    QMouseEvent event(QEvent::MouseMove, QPointF(point), label.mapToGlobal(QPointF(point)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&label, &event);
  }

  static void Release(TVqHTMLText& label, QPoint point, Qt::MouseButton button) {
    QMouseEvent event(QEvent::MouseButtonRelease, QPointF(point), label.mapToGlobal(QPointF(point)),
                      button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&label, &event);
  }

  static QPoint CenterOf(const TVqHTMLText& label, std::u16string_view text) {
    for (const auto& item : label.VisualItems()) {
      const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get());
      if (word != nullptr && word->Text == text) {
        return QPoint(static_cast<int>((word->Rect.Left + word->Rect.Right) / 2),
                      static_cast<int>((word->Rect.Top + word->Rect.Bottom) / 2));
      }
    }
    ADD_FAILURE() << "no word " << ToUtf8(text);
    return {};
  }

  std::unique_ptr<QWidget> FWindow;
};

constexpr char16_t kStatusLine[] =
    u"Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>412,375 MB</B>); rychlost "
    u"stahování <B>1,25 MB/s</B>; zbývající čas <B>00:05:29</B>.";

TEST_F(HTMLTextTest, StatusLineHeightFollowsItsText) {
  TVqHTMLText& label = Label(QRect(20, 116, 349, 13));
  label.SetAutoHeight(true);
  label.SetText(u" ");
  EXPECT_EQ(label.height(), 13);

  label.SetText(u"Začíná stahování Tarvo2021_2021K1.zip");
  EXPECT_EQ(label.LineCount(), 1);
  EXPECT_EQ(label.height(), 13);
  EXPECT_EQ(label.TextHeight(), 13);

  label.SetText(kStatusLine);
  EXPECT_EQ(label.LineCount(), 2);
  EXPECT_EQ(label.height(), 26);
  EXPECT_EQ(label.width(), 349);
  for (const auto& item : label.VisualItems()) {
    EXPECT_LE(item->Rect.Right, 349);
  }

  label.SetText(u"");
  EXPECT_EQ(label.LineCount(), 0);
  EXPECT_EQ(label.height(), 0);
}

TEST_F(HTMLTextTest, StepNumbersAreAsWideAsTheirText) {
  for (const char16_t* text : {u"1.", u"2.", u"3."}) {
    TVqHTMLText& label = Label(QRect(1, 2, 12, 16), 13, true);
    label.SetAutoWidth(true);
    label.SetAutoHeight(true);
    label.SetText(text);
    EXPECT_EQ(label.width(),
              QFontMetrics(Tahoma(13, true)).horizontalAdvance(QString::fromStdU16String(text)));
    EXPECT_EQ(label.height(), 16);
    ASSERT_EQ(label.VisualItems().size(), 1u);
    EXPECT_TRUE(dynamic_cast<const TQxVisualItem_Word&>(*label.VisualItems()[0]).Font.Has(fsBold));
  }
}

TEST_F(HTMLTextTest, TextAndLines) {
  TVqHTMLText& label = Label(QRect(0, 0, 100, 20));
  label.SetLines({u"A", u"B"});
  EXPECT_EQ(label.Text(), u"A\r\nB");
  label.SetText(u"x\ny\r\nz\r\n");
  EXPECT_EQ(label.Lines(), (std::vector<std::u16string>{u"x", u"y", u"z"}));
  label.SetText(u"");
  EXPECT_TRUE(label.Lines().empty());
}

TEST_F(HTMLTextTest, UpdatesCollectIntoOneRebuildAndOneRepaint) {
  TVqHTMLText& label = Label(QRect(20, 4, 349, 78));
  FWindow->show();
  QCoreApplication::processEvents();

  struct TPaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      Paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  label.installEventFilter(&counter);

  const int before = label.RebuildCount();
  label.BeginUpdate();
  label.SetText(u"one");
  label.SetText(u"two");
  label.SetText(u"three");
  QCoreApplication::processEvents();
  EXPECT_EQ(label.RebuildCount(), before);
  EXPECT_EQ(counter.Paints, 0);
  EXPECT_TRUE(label.VisualItems().empty());

  label.EndUpdate(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(label.RebuildCount(), before + 1);
  EXPECT_EQ(counter.Paints, 1);
  ASSERT_EQ(label.VisualItems().size(), 1u);

  try {
    label.EndUpdate(true);
    ADD_FAILURE() << "no exception";
  } catch (const EVqHTMLText& e) {
    EXPECT_EQ(e.Message(), u"There is no update started");
  }
}

// A status line set far more often than a display frame: the label lays out and
// paints at most once a frame, and the last text is laid out and painted.
TEST_F(HTMLTextTest, FastChangesPaintOncePerFrameAndEndWithTheLastText) {
  TVqHTMLText& label = Label(QRect(20, 116, 349, 13));
  FWindow->show();
  QCoreApplication::processEvents();

  struct TPaintRecorder : QObject {
    TVqHTMLText* Label = nullptr;
    std::vector<std::u16string> Painted;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) {
        Painted.push_back(Label->Text());
      }
      return false;
    }
  } recorder;
  recorder.Label = &label;
  label.installEventFilter(&recorder);

  QElapsedTimer clock;
  clock.start();
  int changes = 0;
  std::u16string last;
  const int rebuildsBefore = label.RebuildCount();
  while (clock.elapsed() < 200 || changes < 1000) {
    last = u"Stahuje se soubor <B>" + FromUtf8(std::to_string(changes++)) + u"</B>";
    const int before = label.RebuildCount();
    label.SetText(last);
    EXPECT_LE(label.RebuildCount(), before + 1);
    EXPECT_EQ(label.Text(), last);
    QCoreApplication::processEvents();
  }
  const qint64 elapsed = clock.elapsed();
  EXPECT_GE(recorder.Painted.size(), 1u);
  EXPECT_LE(static_cast<qint64>(recorder.Painted.size()),
            elapsed / TVqHTMLText::PaintIntervalMs + 2);
  EXPECT_LE(label.RebuildCount() - rebuildsBefore, elapsed / TVqHTMLText::PaintIntervalMs + 2);

  // The last change shows with the end of its frame.
  while (clock.elapsed() < elapsed + 1000 &&
         (recorder.Painted.empty() || recorder.Painted.back() != last)) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
  ASSERT_FALSE(recorder.Painted.empty());
  EXPECT_EQ(recorder.Painted.back(), last);
  EXPECT_EQ(dynamic_cast<const TQxVisualItem_Word&>(*label.VisualItems().back()).Text,
            FromUtf8(std::to_string(changes - 1)));
}

TEST_F(HTMLTextTest, RebuildTriggers) {
  TVqHTMLText& label = Label(QRect(0, 0, 200, 20));
  label.SetText(u"x");
  int count = label.RebuildCount();
  label.SetLineSpacing(0);  // unchanged: nothing
  label.SetAutoWidth(false);
  EXPECT_EQ(label.RebuildCount(), count);
  label.SetLineSpacing(2);
  label.SetMaxWidth(50);
  label.SetAutoHeight(true);
  label.setFont(Tahoma(13));
  EXPECT_EQ(label.RebuildCount(), count + 4);
  count = label.RebuildCount();
  label.SetAutoHeight(false);  // switching off changes nothing
  EXPECT_EQ(label.RebuildCount(), count);
  FWindow->show();
  QCoreApplication::processEvents();
  count = label.RebuildCount();
  label.resize(300, 40);  // from outside
  EXPECT_EQ(label.RebuildCount(), count + 1);
  EXPECT_EQ(dynamic_cast<const TQxVisualItem_Word&>(*label.VisualItems()[0]).Font.Size, 10);
}

TEST_F(HTMLTextTest, OneEnterEventAcrossTheWordsOfOneLink) {
  TVqHTMLText& label = Label(QRect(0, 0, 300, 20));
  label.SetText(u"go <A:vornel-test:target>to this page</A> now");
  std::vector<std::string> events;
  label.OnLinkEnter = [&](TVqHTMLText&, TQxBaseLink& link) {
    events.push_back("enter " + ToUtf8(dynamic_cast<TQxLinkRef&>(link).Text));
  };
  label.OnLinkLeave = [&](TVqHTMLText&, TQxBaseLink&) { events.push_back("leave"); };

  Move(label, CenterOf(label, u"go"));
  EXPECT_FALSE(label.IsLinkHover());
  Move(label, CenterOf(label, u"to"));
  EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
  Move(label, CenterOf(label, u"this"));
  Move(label, CenterOf(label, u"page"));
  EXPECT_TRUE(label.IsLinkHover());
  EXPECT_EQ(label.SelectedLink(), label.LinkRefs()[0].get());
  Move(label, CenterOf(label, u"now"));
  EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
  Move(label, CenterOf(label, u"page"));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&label, &leave);
  EXPECT_EQ(events, (std::vector<std::string>{"enter to this page", "leave", "enter to this page",
                                              "leave"}));
}

class UrlSink : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

TEST_F(HTMLTextTest, ClicksOnLinksAndSpoilers) {
  UrlSink sink;
  QDesktopServices::setUrlHandler(QStringLiteral("vornel-test"), &sink, "Open");
  TVqHTMLText& label = Label(QRect(0, 0, 300, 60));
  label.SetLines({u"<A:vornel-test:one>first</A> <A>empty</A> plain", u"<SPOILER:s>More</SPOILER>",
                  u"<SDETAIL:s>Detail</SDETAIL>"});
  testing::TLinkClickLog log(label);

  for (const char16_t* word : {u"first", u"empty", u"plain"}) {
    Move(label, CenterOf(label, word));
    Release(label, CenterOf(label, word), Qt::LeftButton);
  }
  EXPECT_EQ(log.Clicks, 3);
  EXPECT_EQ(log.Seen, (std::vector<std::u16string>{u"first", u"empty"}));
  ASSERT_EQ(sink.Opened.size(), 1u);  // a link without a target opens nothing
  EXPECT_EQ(sink.Opened[0], QUrl(QStringLiteral("vornel-test:one")));

  log.Handle = true;  // a handled click opens nothing
  Move(label, CenterOf(label, u"first"));
  Release(label, CenterOf(label, u"first"), Qt::LeftButton);
  EXPECT_EQ(sink.Opened.size(), 1u);
  log.Handle = false;
  label.SetAutoOpenLink(false);
  Release(label, CenterOf(label, u"first"), Qt::LeftButton);
  EXPECT_EQ(sink.Opened.size(), 1u);

  // The spoiler title opens and closes its details.
  for (bool open : {true, false}) {
    Move(label, CenterOf(label, u"More"));
    Release(label, CenterOf(label, u"More"), Qt::LeftButton);
    ASSERT_EQ(label.Spoilers().size(), 1u);
    EXPECT_EQ(label.Spoilers()[0]->Expanded, open);
    EXPECT_EQ(testing::ShowsWord(label, u"Detail"), open);
  }

  int rightClicks = 0;
  label.OnLinkRightClick = [&](TVqHTMLText&, TQxBaseLink&, bool& handled) {
    EXPECT_FALSE(handled);
    ++rightClicks;
  };
  Release(label, CenterOf(label, u"More"), Qt::RightButton);
  Move(label, CenterOf(label, u"plain"));
  Release(label, CenterOf(label, u"plain"), Qt::RightButton);
  EXPECT_EQ(rightClicks, 1);

  // A changed text forgets the spoilers.
  label.Spoilers()[0]->Expanded = true;
  label.SetText(u"<SPOILER:s>More</SPOILER>");
  ASSERT_EQ(label.Spoilers().size(), 1u);
  EXPECT_FALSE(label.Spoilers()[0]->Expanded);
  QDesktopServices::unsetUrlHandler(QStringLiteral("vornel-test"));
}

TEST_F(HTMLTextTest, ExceptionsStayInsideTheEventHandlers) {
  TVqHTMLText& label = Label(QRect(0, 0, 300, 20));
  label.SetText(u"<A:x>link</A>");
  std::string caught;
  label.OnException = [&](const std::exception& e) { caught = e.what(); };
  label.OnLinkEnter = [](TVqHTMLText&, TQxBaseLink&) { throw Exception(u"from the handler"); };
  Move(label, CenterOf(label, u"link"));
  EXPECT_EQ(caught, "from the handler");
}

// Counts the pixels of a region that have exactly one colour.
int CountColor(const QImage& image, QRect region, QColor color) {
  int n = 0;
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) {
      n += image.pixelColor(x, y) == color;
    }
  }
  return n;
}

TEST_F(HTMLTextTest, PaintsOpaquelyInItsOwnColour) {
  TVqHTMLText& own = Label(QRect(10, 10, 200, 40));
  own.SetColor(own.SystemColors().Get(TSystemColor::scBtnFace));  // fixed from now on
  own.SetText(u"Text over its own colour");
  TVqHTMLText& parentColored = Label(QRect(10, 60, 200, 40));
  parentColored.SetColor(clNone);
  parentColored.SetText(u"No colour of its own");
  QPalette palette = FWindow->palette();
  const QColor face = palette.color(QPalette::Window);
  palette.setColor(QPalette::Window, QColor(0, 0, 255));
  FWindow->setPalette(palette);
  palette.setColor(QPalette::Window, QColor(255, 255, 0));
  parentColored.setPalette(palette);
  FWindow->show();

  const QImage image = FWindow->grab().toImage();
  const QRect ownRect = own.geometry();
  EXPECT_EQ(CountColor(image, ownRect, QColor(0, 0, 255)), 0);
  EXPECT_EQ(image.pixelColor(ownRect.bottomRight()), face);
  EXPECT_EQ(image.pixelColor(ownRect.topLeft()), face);
  const int facePixels = CountColor(image, ownRect, face);
  EXPECT_GT(facePixels, ownRect.width() * ownRect.height() * 8 / 10);
  EXPECT_LT(facePixels, ownRect.width() * ownRect.height());  // the text is drawn

  // Without a colour the label still covers its parent, with its palette.
  EXPECT_EQ(CountColor(image, parentColored.geometry(), QColor(0, 0, 255)), 0);
  EXPECT_EQ(image.pixelColor(parentColored.geometry().topLeft()), QColor(255, 255, 0));
}

TEST_F(HTMLTextTest, SuccessLineIsGreenAndBoldAndCoversTheFailureLabel) {
  TVqHTMLText& noOk = Label(QRect(20, 84, 350, 39));
  noOk.SetAutoHeight(true);
  noOk.SetLines({u"Instalace nebyla dokončena. ",
                 u"Pokud nechce pustit instalaci znovu, ukončete instalátor tlačítkem "
                 u"<B>[Storno]</B>."});
  TVqHTMLText& ok = Label(QRect(20, 84, 350, 55));
  ok.SetColor(ok.SystemColors().Get(TSystemColor::scBtnFace));
  ok.SetAutoHeight(true);
  ok.SetLines({u"<FS:10><FC:$0000B000><B>Instalace byla úspěšně provedena.</B></FC></FS>", u"",
               u"Tlačítkem <B>[Dokončit]</B> instalátor provede závěrečný úklid dočasných dat a "
               u"případnou zálohu instalační sady."});
  ASSERT_GE(ok.height(), noOk.height());
  FWindow->show();

  const auto& first = dynamic_cast<const TQxVisualItem_Word&>(*ok.VisualItems()[0]);
  EXPECT_EQ(first.Text, u"Instalace");
  EXPECT_TRUE(first.Font.Has(fsBold));
  EXPECT_EQ(first.Font.Size, 10);
  EXPECT_EQ(first.Font.Color, RGBToColor(0, 0xB0, 0));
  const QRect firstRect = QRect(int(first.Rect.Left), int(first.Rect.Top), int(first.Rect.Width()),
                                int(first.Rect.Height()))
                              .translated(ok.pos());

  const QImage both = FWindow->grab().toImage();
  EXPECT_GT(CountColor(both, firstRect, QColor(0, 0xB0, 0)), 10);
  noOk.hide();
  const QImage okOnly = FWindow->grab().toImage();
  EXPECT_EQ(both, okOnly);
}

TEST_F(HTMLTextTest, ImagesFromTheListAndFromResources) {
  TVqImageList list(8, 8);
  QImage red(8, 8, QImage::Format_RGB32);
  red.fill(Qt::red);
  list.Add(red);
  auto images = std::make_unique<TVqImageList>(8, 8);
  images->Add(red);
  TVqHTMLText& label = Label(QRect(0, 0, 100, 20));
  label.SetColor(clWhite);
  label.SetImages(images.get());
  std::vector<std::u16string> asked;
  label.OnRetrieveImgRes = [&](TVqHTMLText&, const std::u16string& name, QImage& picture,
                               bool& handled) {
    asked.push_back(name);
    if (name == u"given") {
      picture = QImage(5, 6, QImage::Format_RGB32);
      picture.fill(Qt::green);
      handled = true;
    }
  };
  label.SetText(u"<IMG:0><IMGRES:given><IMGRES:magenta_4x3.png><IMGRES:missing.png><IMG:9>");
  ASSERT_EQ(label.VisualItems().size(), 5u);
  EXPECT_EQ(label.VisualItems()[0]->Rect, (TRect64{0, 0, 8, 8}));
  EXPECT_EQ(label.VisualItems()[1]->Rect, (TRect64{8, 0, 13, 6}));
  EXPECT_EQ(label.VisualItems()[2]->Rect, (TRect64{13, 0, 17, 3}));
  EXPECT_EQ(label.VisualItems()[3]->Rect, (TRect64{17, 0, 17, 0}));
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"given", u"magenta_4x3.png", u"missing.png"}));

  const QImage image = label.grab().toImage();
  EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(10, 3), QColor(Qt::green));
  EXPECT_EQ(image.pixelColor(15, 1), QColor(255, 0, 255));
  EXPECT_EQ(image.pixelColor(20, 3), QColor(Qt::white));  // index 9 is not in the list

  images.reset();  // the list goes away: no pictures, no size
  EXPECT_EQ(label.Images(), nullptr);
  EXPECT_EQ(label.VisualItems()[0]->Rect, (TRect64{0, 0, 0, 0}));
}

TEST_F(HTMLTextTest, HoverStyleFollowsTheMouse) {
  TVqHTMLText& label = Label(QRect(0, 0, 200, 20));
  label.SetColor(clWhite);
  label.SetStyleLinkNormal({clNone, clLime, false});
  label.SetStyleLinkHover({clNone, clFuchsia, true});
  label.SetText(u"<A:x>link</A>");
  const QPoint at = CenterOf(label, u"link");
  EXPECT_EQ(label.grab().toImage().pixelColor(at.x(), 0), QColor(0, 255, 0));
  Move(label, at);
  EXPECT_EQ(label.grab().toImage().pixelColor(at.x(), 0), QColor(255, 0, 255));
}

}  // namespace
}  // namespace vornel

#include "html_text_test.moc"
