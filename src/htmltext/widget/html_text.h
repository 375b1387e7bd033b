// The HTML text label: a widget that shows a text written in the label markup,
// rebuilds its layout whenever something that affects it changes, can size
// itself to its text, paints opaquely through one off-screen image and reacts
// to the mouse over links and spoiler titles.
#pragma once

#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "htmltext/color.h"
#include "htmltext/label.h"
#include "htmltext/label_events.h"
#include "htmltext/link_style.h"
#include "htmltext/links.h"
#include "htmltext/widget/image_list.h"
#include "htmltext/widget/qt_text_surface.h"

namespace vornel {

class TVqHTMLText : public QWidget, public TLabelEvents<TVqHTMLText> {
 public:
  using TRetrieveImgResEvent = std::function<void(
      TVqHTMLText& sender, const std::u16string& resourceName, QImage& picture, bool& handled)>;

  explicit TVqHTMLText(QWidget* parent = nullptr);
  ~TVqHTMLText() override;

  // Not owned; cleared when the list is destroyed.
  TVqImageList* Images() const { return FImages.data(); }
  void SetImages(TVqImageList* images);

  // The base font is the widget's font (inherited from the parent unless set);
  // its colour is the palette's window-text colour.
  TColor FontColor() const;
  void SetFontColor(TColor color);
  // The cursor outside links.
  const QCursor& Cursor() const { return FUserCursor; }
  void SetCursor(const QCursor& cursor);

  // The system colours the markup's colour identifiers resolve to.
  const TSystemColors& SystemColors() const { return FCore->SystemColors; }
  static std::u16string About();
  // How many layouts have run.
  int RebuildCount() const { return FRebuildCount; }
  void Rebuild() override;

  static std::u16string EscapeTextToHTML(std::u16string_view text);
  static std::u16string UnescapeHTMLToText(std::u16string_view html);

  TRetrieveImgResEvent OnRetrieveImgRes;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  class TCore;

  TQxLabel& Core() override { return *FCore; }
  const TQxLabel& Core() const override { return *FCore; }
  TColor ParentBackground() const override;
  bool Shown() const override { return isVisible(); }
  void Invalidate() override { update(); }
  bool StartFrameTimer(int milliseconds) override;
  bool FrameTimerActive() const override { return FPaintTimer.isActive(); }
  void Paint();
  void MouseAt(QPoint point);
  // Opens a link's target through the desktop.
  static void OpenTarget(const std::u16string& target);
  void ApplyTextSize(std::int64_t width, std::int64_t height);
  std::shared_ptr<TQxPicture> RetrieveImgRes(const std::u16string& name);
  void LogUnhandled(const std::exception& error) override;

  TQtTextSurface FSurface;
  std::unique_ptr<TQxLabel> FCore;  // a TCore
  QPointer<TVqImageList> FImages;
  QMetaObject::Connection FImagesDestroyed;
  QCursor FUserCursor;
  bool FResizing = false;  // the label sizes itself
  QSize FBuiltSize;        // the size the last layout ran at
  int FRebuildCount = 0;
  QBasicTimer FPaintTimer;  // a repaint held back to the end of the frame
};

}  // namespace vornel
