// Rebuild time of the installer's labels on real Qt font metrics (offscreen):
// the download status line, rebuilt on every transfer event, and the longest
// step text.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "htmltext/widget/html_text.h"

namespace {

using vornel::TVqHTMLText;

QFont Tahoma(int pixels) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixels);
  return font;
}

std::u16string StatusLine(int speed, int seconds) {
  const std::string text =
      "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>412,375 MB</B>); rychlost "
      "stahov\u00e1n\u00ed <B>" +
      std::to_string(speed / 100) + "," + std::to_string(speed % 100) +
      " MB/s</B>; zb\u00fdvaj\u00edc\u00ed \u010das <B>00:" + std::to_string(10 + seconds / 60) +
      ":" + std::to_string(10 + seconds % 50) + "</B>.";
  return QString::fromStdString(text).toStdU16String();
}

struct TFixture {
  QWidget Window;
  TVqHTMLText* Label;
  explicit TFixture(int width) {
    Window.resize(594, 269);
    Label = new TVqHTMLText(&Window);
    Label->setGeometry(20, 116, width, 13);
    Label->setFont(Tahoma(11));
    Label->SetAutoHeight(true);
  }
};

// The same status text rebuilt again and again.
void BM_StatusLineRebuild(benchmark::State& state) {
  TFixture f(349);
  f.Label->SetText(StatusLine(125, 329));
  for (auto _ : state) {
    f.Label->Rebuild();
  }
  if (f.Label->LineCount() != 2) {
    state.SkipWithError("the status line should wrap once");
  }
}
BENCHMARK(BM_StatusLineRebuild);

// A new status text on each event, as the download step sets it: speed and
// remaining time change, so their words are measured anew now and then.
void BM_StatusLineSetText(benchmark::State& state) {
  TFixture f(349);
  std::vector<std::u16string> texts;
  for (int i = 0; i < 997; ++i) {
    texts.push_back(StatusLine(100 + i % 211, i % 3000));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    f.Label->SetText(texts[i]);
    i = (i + 1) % texts.size();
  }
}
BENCHMARK(BM_StatusLineSetText);

// The longest step text of the window (page 0).
void BM_LongestStepText(benchmark::State& state) {
  TFixture f(349);
  f.Label->SetLines(
      {u"Sta\u017een\u00ed aktu\u00e1ln\u00ed instala\u010dn\u00ed sady z na\u0161ich "
       u"internetov\u00fdch str\u00e1nek spust\u00edte tla\u010d\u00edtkem <B>[Start]</B>.",
       u"",
       u"Soubor m\u00e1 v\u011bt\u0161\u00ed velikost, tak\u017ee doba stahov\u00e1n\u00ed je "
       u"z\u00e1visl\u00e1 na rychlosti Va\u0161eho p\u0159ipojen\u00ed a m\u016f\u017ee trvat "
       u"\u0159\u00e1dov\u011b des\u00edtky minut. Vy\u010dkejte pros\u00edm ne\u017e se "
       u"soubor st\u00e1hne. Mezit\u00edm m\u016f\u017eete na po\u010d\u00edta\u010d\u00ed "
       u"norm\u00e1ln\u011b pracovat."});
  for (auto _ : state) {
    f.Label->Rebuild();
  }
}
BENCHMARK(BM_LongestStepText);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  if (QFontDatabase::addApplicationFont(TAHOMA_FONT) < 0 ||
      QFontDatabase::addApplicationFont(TAHOMA_BOLD_FONT) < 0) {
    std::fprintf(stderr, "Tahoma is missing\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
