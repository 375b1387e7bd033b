#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "installer/download_progress.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {
namespace {

TEST(DownloadProgress, KilobytesRoundHalfToEven) {
  struct Case {
    std::int64_t bytes;
    std::int64_t kb;
  };
  const Case cases[] = {
      {0, 0},        {511, 0},        {512, 0},
      {513, 1},      {1024, 1},       {1536, 2},
      {2560, 2},     {2561, 3},       {3584, 4},
      {524288, 512}, {1048576, 1024}, {-512, 0},
      {-1536, -2},   {-1537, -2},     {(std::int64_t{1} << 40) + 512, std::int64_t{1} << 30},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KilobytesOf(c.bytes), c.kb) << c.bytes;
}

TEST(DownloadProgress, MegabytesAreUnrounded) {
  EXPECT_DOUBLE_EQ(MegabytesOf(1048576), 1.0);
  EXPECT_DOUBLE_EQ(MegabytesOf(1572864), 1.5);
  EXPECT_DOUBLE_EQ(MegabytesOf(0), 0.0);
  EXPECT_DOUBLE_EQ(MegabytesOf(1), 1.0 / 1048576);
}

// A fake clock: date-times built from calendar values.
double At(int hour, int minute, int second, int millisecond = 0, int day = 10) {
  return EncodeDateTime(2026, 12, day, hour, minute, second, millisecond);
}

TEST(DownloadProgress, ElapsedSecondsFromTheTimeOfDay) {
  struct Case {
    const char* what;
    double start;
    double now;
    double seconds;
  };
  const Case cases[] = {
      {"same moment", At(10, 0, 0), At(10, 0, 0), 0.0},
      {"half a millisecond rounds to none", At(10, 0, 0), At(10, 0, 0) + 0.4 / 86400000, 0.0},
      {"one millisecond", At(10, 0, 0), At(10, 0, 0, 1), 0.001},
      {"milliseconds are a fraction", At(10, 0, 0), At(10, 0, 2, 250), 2.25},
      {"hours, minutes and seconds", At(10, 0, 0), At(11, 2, 5), 3725.0},
      {"over midnight", At(23, 59, 59), At(0, 0, 1, 0, 11), 2.0},
      {"whole days drop out", At(10, 0, 0), At(10, 0, 3, 0, 12), 3.0},
      {"the 16-bit field wraps", At(0, 0, 0), At(18, 12, 17), 65537.0 - 65536.0},
      {"a clock set back counts the magnitude", At(10, 0, 5), At(10, 0, 0), 5.0},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(ElapsedSeconds(c.start, c.now), c.seconds, 1e-9) << c.what;
}

TEST(DownloadProgress, AverageSpeedKeepsThePreviousOneWhileNoTimePassed) {
  EXPECT_DOUBLE_EQ(AverageSpeedOf(1024, 1.0, 0.0), 1.0);
  EXPECT_DOUBLE_EQ(AverageSpeedOf(512, 0.25, 0.0), 2.0);
  EXPECT_DOUBLE_EQ(AverageSpeedOf(2048, 0.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(AverageSpeedOf(2048, 0.0, 1.25), 1.25);
}

TEST(DownloadProgress, RemainingSecondsAndTheClock) {
  struct Case {
    std::int64_t maximumKb;
    std::int64_t kb;
    double speed;
    std::uint16_t seconds;
    const char16_t* clock;
  };
  const Case cases[] = {
      {3725 * 1024, 0, 1.0, 3725, u"01:02:05"},   {59 * 1024 + 1024, 1024, 1.0, 59, u"00:00:59"},
      {1024, 512, 1.0, 0, u"00:00:00"},        // 0.5 s truncated
      {1024 * 10, 0, 3.0, 3, u"00:00:03"},     // 3.33 s truncated
      {65537 * 1024, 0, 1.0, 1, u"00:00:01"},  // wraps at 65536
      {65535 * 1024, 0, 1.0, 65535, u"18:12:15"}, {(65536 * 3 + 7) * 1024, 0, 1.0, 7, u"00:00:07"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemainingSeconds(c.maximumKb, c.kb, c.speed), c.seconds) << c.maximumKb;
    EXPECT_EQ(ToUtf8(ClockText(RemainingSeconds(c.maximumKb, c.kb, c.speed))), ToUtf8(c.clock));
  }
}

TEST(DownloadProgress, FixedTextRoundsAsPrintedWithTheGivenSeparator) {
  struct Case {
    double value;
    int decimals;
    char16_t separator;
    const char* text;
  };
  const Case cases[] = {
      {0.0, 2, u',', "0,00"},
      {0.0, 2, u'.', "0.00"},
      {1.0, 3, u'.', "1.000"},
      {412.375, 3, u',', "412,375"},
      {1.25, 2, u',', "1,25"},
      {1.0625, 3, u'.', "1.063"},
      {2.675, 2, u'.', "2.68"},
      {0.995, 2, u'.', "1.00"},
      {9.9996, 3, u'.', "10.000"},
      {1e-9, 2, u'.', "0.00"},
      {123456789.5, 0, u'.', "123456790"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToUtf8(FixedText(c.value, c.decimals, c.separator)), c.text) << c.value;
}

TEST(DownloadProgress, StatusTexts) {
  EXPECT_EQ(ToUtf8(BeginStatusText(u"Tarvo2021_2021K1.zip")),
            "Začíná stahování Tarvo2021_2021K1.zip");
  EXPECT_EQ(ToUtf8(EndStatusText(u"Tarvo2021_2021K1.zip")),
            " Stahování Tarvo2021_2021K1.zip ukončeno; čekejte prosím.");
}

TEST(DownloadProgress, TransferStatusText) {
  struct Case {
    const char* what;
    double sizeMb;
    double speed;
    std::int64_t maximumKb;
    std::int64_t kb;
    char16_t separator;
    const char* text;
  };
  const Case cases[] = {
      {"the full line with a decimal comma", 412.375, 1.25, 422272, 10048, u',',
       "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>412,375 MB</B>); "
       "rychlost stahování <B>1,25 MB/s</B>; zbývající čas <B>00:05:22</B>."},
      {"speed 0 ends in a semicolon and a blank", 1.0, 0.0, 1024, 0, u',',
       "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>1,000 MB</B>); "
       "rychlost stahování <B>0,00 MB/s</B>; "},
      {"the point of the C locale", 1.0, 0.0, 1024, 0, u'.',
       "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>1.000 MB</B>); "
       "rychlost stahování <B>0.00 MB/s</B>; "},
      {"3725 s to go", 3725.0, 1.0, 3725 * 1024, 0, u'.',
       "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>3725.000 MB</B>); "
       "rychlost stahování <B>1.00 MB/s</B>; zbývající čas <B>01:02:05</B>."},
      {"no length announced: no remaining time", 0.0, 2.5, 0, 4096, u'.',
       "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>0.000 MB</B>); "
       "rychlost stahování <B>2.50 MB/s</B>; "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToUtf8(TransferStatusText(u"Tarvo2021_2021K1.zip", c.sizeMb, c.speed, c.maximumKb,
                                        c.kb, c.separator)),
              c.text)
        << c.what;
}

}  // namespace
}  // namespace vornel
