#include "htmltext/widget/html_text.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QUrl>
#include <QtGlobal>
#include <algorithm>
#include <cmath>

#include "htmltext/escape.h"
#include "htmltext/html_text_error.h"
#include "htmltext/widget/qt_colors.h"
#include "htmltext/widget/qt_picture.h"

namespace vornel {

namespace {

QRect ToQRect(const TRect64& r) {
  return QRect(QPoint(ToPixel(r.Left), ToPixel(r.Top)),
               QSize(ToPixel(r.Width()), ToPixel(r.Height())));
}

TQxFont FromQFont(const QFont& font, TColor color) {
  TQxFont f;
  f.Name = font.family().toStdU16String();
  if (font.pixelSize() > 0) {
    // Pixels at 96 dots per inch to points, rounded as the platform's MulDiv does.
    f.Size = (font.pixelSize() * 72 + 48) / 96;
  } else {
    f.Size = static_cast<int>(std::lround(font.pointSizeF()));
  }
  f.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
            (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
  f.Color = color;
  return f;
}

}  // namespace

// The label as its layout sees it, answering with the widget's geometry.
class TVqHTMLText::TCore : public TQxLabel {
 public:
  TCore(TVqHTMLText& owner, ITextSurface& surface) : TQxLabel(surface), FOwner(owner) {}

  std::int64_t Width() const override { return FOwner.width(); }
  std::int64_t Height() const override { return FOwner.height(); }
  void SetSize(std::int64_t width, std::int64_t height) override {
    FOwner.ApplyTextSize(width, height);
  }
  std::optional<TSize64> ImageListSize() const override {
    if (FOwner.FImages.isNull()) {
      return std::nullopt;
    }
    return TSize64{FOwner.FImages->Width(), FOwner.FImages->Height()};
  }
  std::shared_ptr<TQxPicture> RetrieveImgRes(const std::u16string& name) override {
    return FOwner.RetrieveImgRes(name);
  }

 private:
  TVqHTMLText& FOwner;
};

TVqHTMLText::TVqHTMLText(QWidget* parent)
    : QWidget(parent), FCore(std::make_unique<TCore>(*this, FSurface)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  FUserCursor = cursor();
  FillSystemColors(palette(), FCore->SystemColors);
}

TVqHTMLText::~TVqHTMLText() = default;

void TVqHTMLText::LogUnhandled(const std::exception& error) {
  qWarning("%s", error.what());
}

// ---------------------------------------------------------------------------
// Properties

void TVqHTMLText::SetImages(TVqImageList* images) {
  if (images == FImages.data()) {
    return;
  }
  disconnect(FImagesDestroyed);
  FImages = images;
  if (images != nullptr) {
    FImagesDestroyed = connect(images, &QObject::destroyed, this, [this] {
      FImages = nullptr;
      Guarded([this] { Modify(mfBuild | mfPaint); });
    });
  }
  Modify(mfBuild | mfPaint);
}

TColor TVqHTMLText::ParentBackground() const {
  return FromQColor(palette().color(QPalette::Window));
}

TColor TVqHTMLText::FontColor() const {
  return FromQColor(palette().color(QPalette::WindowText));
}

void TVqHTMLText::SetFontColor(TColor color) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, ToQColor(color));
  setPalette(p);  // a palette change rebuilds
}

void TVqHTMLText::SetCursor(const QCursor& cursor) {
  FUserCursor = cursor;
  if (!FSelectedLink) {
    setCursor(cursor);
  }
}

std::u16string TVqHTMLText::About() {
  return u"TVqHTMLText 1.0";
}

std::u16string TVqHTMLText::EscapeTextToHTML(std::u16string_view text) {
  return vornel::EscapeTextToHTML(text);
}

std::u16string TVqHTMLText::UnescapeHTMLToText(std::u16string_view html) {
  return vornel::UnescapeHTMLToText(html);
}

QSize TVqHTMLText::sizeHint() const {
  return size();
}

// ---------------------------------------------------------------------------
// Rebuilding

bool TVqHTMLText::StartFrameTimer(int milliseconds) {
  FPaintTimer.start(milliseconds, Qt::PreciseTimer, this);
  return true;
}

void TVqHTMLText::timerEvent(QTimerEvent* event) {
  if (event->timerId() != FPaintTimer.timerId()) {
    QWidget::timerEvent(event);
    return;
  }
  FPaintTimer.stop();
  Guarded([this] { FrameTimerFired(); });
}

void TVqHTMLText::Rebuild() {
  NoteRebuilt();
  FCore->Settings.Font = FromQFont(font(), FontColor());
  FCore->Rebuild();
  ++FRebuildCount;
  FBuiltSize = size();
}

void TVqHTMLText::ApplyTextSize(std::int64_t width, std::int64_t height) {
  const QSize target(std::clamp<std::int64_t>(width, 0, QWIDGETSIZE_MAX),
                     std::clamp<std::int64_t>(height, 0, QWIDGETSIZE_MAX));
  if (target == size()) {
    return;
  }
  FResizing = true;
  resize(target);
  FResizing = false;
}

std::shared_ptr<TQxPicture> TVqHTMLText::RetrieveImgRes(const std::u16string& name) {
  QImage picture;
  bool handled = false;
  if (OnRetrieveImgRes) {
    OnRetrieveImgRes(*this, name, picture, handled);
  }
  if (!handled) {
    // A PNG resource compiled into the executable; any failure leaves the
    // picture empty.
    QString path = ToQString(name);
    if (!path.startsWith(u':')) {
      path.prepend(u":/");
    }
    picture = QImage();
    if (!picture.load(path, "PNG")) {
      picture = QImage();
    }
  }
  return std::make_shared<TQtPicture>(std::move(picture));
}

void TVqHTMLText::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Resizes made by the label itself do not rebuild again; nor does the
  // delayed resize event of a hidden label whose layout has its size already.
  if (!FResizing && parentWidget() != nullptr && event->size() != FBuiltSize) {
    Guarded([this] { Modify(mfBuild); });
  }
}

void TVqHTMLText::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::FontChange:
      Guarded([this] { Modify(mfBuild | mfPaint); });
      break;
    case QEvent::PaletteChange:
      FillSystemColors(palette(), FCore->SystemColors);
      Guarded([this] { Modify(mfBuild | mfPaint); });
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Painting

void TVqHTMLText::paintEvent(QPaintEvent*) {
  NotePainted();
  Guarded([this] { Paint(); });
}

void TVqHTMLText::Paint() {
  const qreal ratio = devicePixelRatioF();
  QImage image(size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  // The label is opaque: without a colour of its own it shows its parent's
  // background, but never the parent itself.
  const TColor background = Color();
  image.fill(background != clNone ? ToQColor(background) : palette().color(QPalette::Window));
  {
    QPainter painter(&image);
    for (const auto& item : FCore->VisualItems()) {
      const TItemLook look = LookOf(*item);
      const QRect rect = ToQRect(item->Rect);
      const TQxFont& font = look.Font;
      const TColor fill = look.Fill;
      const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get());
      if (fill != clNone) {
        painter.fillRect(rect, ToQColor(fill));
      }
      if (word != nullptr) {
        painter.setFont(FSurface.Font(font));
        painter.setPen(ToQColor(font.Color));
        painter.drawText(
            QPoint(rect.left(), rect.top() + ToPixel(word->YPos) + FSurface.Ascent(font)),
            ToQString(word->Text));
      } else if (const auto* image = dynamic_cast<const TQxVisualItem_Image*>(item.get())) {
        if (!FImages.isNull()) {
          if (const QImage* picture = FImages->Image(image->ImageIndex)) {
            painter.drawImage(rect.topLeft(), *picture);
          }
        }
      } else if (const auto* resource =
                     dynamic_cast<const TQxVisualItem_ImageResource*>(item.get())) {
        if (const auto* picture = dynamic_cast<const TQtPicture*>(resource->Picture.get())) {
          painter.drawImage(rect.topLeft(), picture->Image);
        }
      } else {
        RaiseInternalError(u"Invalid visual item object");
      }
    }
  }
  QPainter(this).drawImage(0, 0, image);
}

// ---------------------------------------------------------------------------
// Mouse

void TVqHTMLText::MouseAt(QPoint point) {
  BuildPending();
  std::shared_ptr<TQxBaseLink> found = FCore->LinkAt(point.x(), point.y());
  if (found == FSelectedLink) {
    return;
  }
  setCursor(found ? QCursor(Qt::PointingHandCursor) : FUserCursor);
  Hover(std::move(found));
  update();
}

void TVqHTMLText::OpenTarget(const std::u16string& target) {
  QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(target)));
}

void TVqHTMLText::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const QPoint point = event->position().toPoint();
  Guarded([this, point] { MouseAt(point); });
}

void TVqHTMLText::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  Guarded([this] { MouseAt(QPoint(-1, -1)); });
}

void TVqHTMLText::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (!rect().contains(event->position().toPoint())) {
    return;
  }
  if (event->button() == Qt::LeftButton) {
    Guarded([this] { Click(&TVqHTMLText::OpenTarget); });
  } else if (event->button() == Qt::RightButton) {
    Guarded([this] { RightClick(); });
  }
}

}  // namespace vornel
