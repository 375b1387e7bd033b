#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>

#include "installer/window/embedded_fonts.h"
#include "qt_app.h"

namespace vornel {
namespace {

TEST(ResourcesTest, PictureIsRgbaWithTransparency) {
  test::App();
  QImage picture(QString::fromLatin1(PictureResource));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(184, 250));
  EXPECT_TRUE(picture.hasAlphaChannel());
  picture = picture.convertToFormat(QImage::Format_ARGB32);
  // Transparent corners around opaque artwork.
  EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(picture.pixel(183, 249)), 0);
  EXPECT_EQ(qAlpha(picture.pixel(92, 60)), 255);  // the globe's centre
  // The arrow is green.
  QRgb arrow = picture.pixel(92, 140);
  EXPECT_GT(qGreen(arrow), qRed(arrow));
  EXPECT_GT(qGreen(arrow), qBlue(arrow));
}

TEST(ResourcesTest, TahomaIsRegisteredFromTheProgram) {
  test::App();
  ASSERT_TRUE(RegisterEmbeddedFonts());
  EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("Tahoma")));
  QFont bold(QStringLiteral("Tahoma"));
  bold.setPixelSize(13);
  bold.setBold(true);
  QFontInfo info(bold);
  EXPECT_EQ(info.family(), QStringLiteral("Tahoma"));
  EXPECT_TRUE(info.bold());
  EXPECT_FALSE(QFontDatabase::styles(QStringLiteral("Tahoma")).isEmpty());
}

}  // namespace
}  // namespace vornel
