// The Qt progress bar as a progress meter, under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <memory>

#include "zip/qt/progress_bar.h"
#include "zip/unzipper.h"

namespace vornel {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "progress_bar_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

TEST(ProgressBar, MovesAndPumpsEvents) {
  App();
  TArProgressBar bar;
  EXPECT_EQ(bar.minimum(), 0);
  EXPECT_EQ(bar.maximum(), 100);
  EXPECT_EQ(bar.orientation(), Qt::Horizontal);
  EXPECT_EQ(TArProgressBar::Version(), QStringLiteral("5.0"));
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  IArProgressMeter& meter = bar;
  meter.DoProgress(42);
  EXPECT_EQ(bar.value(), 42);
  EXPECT_TRUE(fired);  // pending events ran inside DoProgress
  meter.Reset();
  EXPECT_EQ(bar.value(), 0);
}

TEST(ProgressBar, DroppedByTheUnzipperWhenDestroyed) {
  App();
  TArUnZipper unzipper;
  auto bar = std::make_unique<TArProgressBar>();
  unzipper.SetItemProgressMeter(bar.get());
  unzipper.SetArchiveProgressMeter(bar.get());
  EXPECT_EQ(unzipper.ItemProgressMeter(), bar.get());
  bar.reset();
  EXPECT_EQ(unzipper.ItemProgressMeter(), nullptr);
  EXPECT_EQ(unzipper.ArchiveProgressMeter(), nullptr);
}

}  // namespace
}  // namespace vornel
