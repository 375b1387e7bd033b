#include "installer/window_layout.h"

namespace vornel {

namespace {

using K = TLayoutKind;

constexpr std::u16string_view Page2Intro =
    u"Instalační sada byla úspěšně stažena. Rozbalení sady v dočasné složce spustíte "
    u"tlačítkem <B>[Rozbalit]</B>.";

// A step number: bold 10-point Tahoma, sized to its text.
TLayoutControl StepNumber(std::string_view name, std::string_view parent,
                          std::u16string_view text) {
  return {.Name = name,
          .Parent = parent,
          .Kind = K::lkHTMLLabel,
          .Place = {1, 2, 12, 16},
          .Lines = {text},
          .FontHeight = 13,
          .Bold = true,
          .AutoWidth = true,
          .AutoHeight = true};
}

TLayoutControl ProgressBar(std::string_view name, std::string_view parent, TControl role) {
  // Aligned to the panel's bottom, the panel's whole width.
  return {.Name = name,
          .Parent = parent,
          .Kind = K::lkProgressBar,
          .Place = {0, 176, 370, 12},
          .Visible = false,
          .TabOrder = 2,
          .Role = role};
}

std::vector<TLayoutControl> MakeLayout() {
  return {
      {.Name = "HTMText_Uvod",
       .Parent = WindowName,
       .Kind = K::lkHTMLLabel,
       .Place = {208, 40, 378, 26},
       .Lines = {u"S instalací <B>#PRODUKT#</B> Vám pomůže náš instalátor. "
                 u"Postupujte podle následujících kroků:"},
       .AutoHeight = true,
       .Role = TControl::HTMText_Uvod},
      {.Name = "P_Title",
       .Parent = WindowName,
       .Kind = K::lkTitlePanel,
       .Place = {208, 8, 377, 22},
       .TabOrder = 0},
      {.Name = "Label1",
       .Parent = "P_Title",
       .Kind = K::lkPlainLabel,
       .Place = {0, 0, 377, 22},
       .Lines = {u"Nakladatelství Vornel, a.s. Vás vítá v instalátoru"},
       .FontHeight = 13},
      {.Name = "P_Image",
       .Parent = WindowName,
       .Kind = K::lkPanel,
       .Place = {2, 2, 198, 265},
       .TabOrder = 1},
      {.Name = "Image1", .Parent = "P_Image", .Kind = K::lkPicture, .Place = {7, 7, 184, 250}},
      {.Name = "PC_Main",
       .Parent = WindowName,
       .Kind = K::lkPageControl,
       .Place = {208, 69, 378, 198},
       .TabOrder = 2},
      // The page area of a page control whose tabs are hidden.
      {.Name = "TS_Step1", .Parent = "PC_Main", .Kind = K::lkPage, .Place = {4, 4, 370, 188}},
      {.Name = "P_Step1", .Parent = "TS_Step1", .Kind = K::lkPanel, .Place = {0, 0, 370, 188}},
      StepNumber("HTMText_KrokN1", "P_Step1", u"1."),
      {.Name = "HTMText_Krok1",
       .Parent = "P_Step1",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 4, 349, 78},
       .Lines = {u"Stažení aktuální instalační sady z našich internetových stránek "
                 u"spustíte tlačítkem <B>[Start]</B>.",
                 u"",
                 u"Soubor má větší velikost, takže doba stahování je závislá na "
                 u"rychlosti Vašeho připojení a může trvat řádově desítky minut. "
                 u"Vyčkejte prosím než se soubor stáhne. Mezitím můžete na počítačí "
                 u"normálně pracovat."},
       .FontHeight = 11,
       .AutoHeight = true},
      {.Name = "HTMText_InfoDown",
       .Parent = "P_Step1",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 116, 349, 13},
       .Lines = {u" "},
       .FontHeight = 11,
       .Visible = false,
       .AutoHeight = true,
       .Role = TControl::HTMText_InfoDown},
      {.Name = "B_StartK1",
       .Parent = "P_Step1",
       .Kind = K::lkButton,
       .Place = {288, 143, 75, 25},
       .Lines = {u"Start"},
       .TabOrder = 0,
       .Role = TControl::B_StartK1},
      {.Name = "B_StornoDown",
       .Parent = "P_Step1",
       .Kind = K::lkButton,
       .Place = {207, 143, 75, 25},
       .Lines = {u"Storno"},
       .Visible = false,
       .TabOrder = 1,
       .Role = TControl::B_StornoDown},
      ProgressBar("ArPB_Down", "P_Step1", TControl::ArPB_Down),
      {.Name = "TS_Step2", .Parent = "PC_Main", .Kind = K::lkPage, .Place = {4, 4, 370, 188}},
      {.Name = "P_Step2", .Parent = "TS_Step2", .Kind = K::lkPanel, .Place = {0, 0, 370, 188}},
      {.Name = "HTMText_Krok2_2",
       .Parent = "P_Step2",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 4, 349, 52},
       .Lines = {Page2Intro, u"", u"Probíhá rozbalování instalační sady ..."},
       .FontHeight = 11,
       .Visible = false,
       .AutoHeight = true,
       .Role = TControl::HTMText_Krok2_2},
      StepNumber("HTMText_KrokN2", "P_Step2", u"2."),
      {.Name = "HTMText_Krok2_1",
       .Parent = "P_Step2",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 4, 349, 52},
       .Lines = {Page2Intro, u"", u"Vyčkejte prosím. než se sada rozbalí."},
       .FontHeight = 11,
       .AutoHeight = true,
       .Role = TControl::HTMText_Krok2_1},
      {.Name = "HTMText_BackupFolder",
       .Parent = "P_Step2",
       .Kind = K::lkHTMLLabel,
       .Place = {36, 90, 333, 13},
       .Lines = {u" "},
       .Visible = false,
       .AutoHeight = true,
       .Role = TControl::HTMText_BackupFolder},
      {.Name = "B_RozbalK2",
       .Parent = "P_Step2",
       .Kind = K::lkButton,
       .Place = {288, 143, 75, 25},
       .Lines = {u"Rozbalit"},
       .TabOrder = 0,
       .Role = TControl::B_RozbalK2},
      {.Name = "ChB_Zaloha",
       .Parent = "P_Step2",
       .Kind = K::lkCheckBox,
       .Place = {20, 71, 317, 17},
       .Lines = {u"Uchovat zálohu instalační sady pro pozdější použití ve složce:"},
       .TabOrder = 1,
       .Role = TControl::ChB_Zaloha},
      ProgressBar("ArPB_Main", "P_Step2", TControl::ArPB_Main),
      {.Name = "TS_Step3", .Parent = "PC_Main", .Kind = K::lkPage, .Place = {4, 4, 370, 188}},
      {.Name = "P_Step3", .Parent = "TS_Step3", .Kind = K::lkPanel, .Place = {0, 0, 370, 188}},
      {.Name = "HTMText_Krok3",
       .Parent = "P_Step3",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 4, 349, 65},
       .Lines = {u"Instalační soubory byly úspěšně rozbaleny a jsou připraveny k "
                 u"instalaci, kterou spustíte tlačítkem <B>[Instalovat]</B>.",
                 u"",
                 u"Instalace bude probíhat v samostatném instalačním programu. Po "
                 u"ukončení instalace budete vrácení zprátky do instalátoru.."},
       .FontHeight = 11,
       .AutoHeight = true},
      StepNumber("HTMText_KrokN3", "P_Step3", u"3."),
      {.Name = "HTMText_InfoSetup_NoOK",
       .Parent = "P_Step3",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 84, 350, 39},
       .Lines = {u"Instalace nebyla dokončena. ",
                 u"Pokud nechce pustit instalaci znovu, ukončete instalátor "
                 u"tlačítkem <B>[Storno]</B>."},
       .Visible = false,
       .AutoHeight = true,
       .Role = TControl::HTMText_InfoSetup_NoOK},
      {.Name = "HTMText_InfoSetup_OK",
       .Parent = "P_Step3",
       .Kind = K::lkHTMLLabel,
       .Place = {20, 84, 350, 55},
       .Lines = {u"<FS:10><FC:$0000B000><B>Instalace byla úspěšně provedena.</B></FC></FS>", u"",
                 u"Tlačítkem <B>[Dokončit]</B> instalátor provede závěrečný "
                 u"úklid dočasných dat a případnou zálohu instalační sady."},
       .Visible = false,
       .AutoHeight = true,
       .ButtonFaceBackground = true,
       .Role = TControl::HTMText_InfoSetup_OK},
      {.Name = "B_InstalK3",
       .Parent = "P_Step3",
       .Kind = K::lkButton,
       .Place = {288, 143, 75, 25},
       .Lines = {u"Instalovat"},
       .TabOrder = 0,
       .Role = TControl::B_InstalK3},
      {.Name = "B_Storno",
       .Parent = "P_Step3",
       .Kind = K::lkButton,
       .Place = {207, 143, 75, 25},
       .Lines = {u"Storno"},
       .Visible = false,
       .TabOrder = 1,
       .Role = TControl::B_Storno},
  };
}

}  // namespace

std::u16string JoinedText(const TLayoutControl& control, std::u16string_view separator) {
  std::u16string text;
  for (size_t i = 0; i < control.Lines.size(); ++i) {
    if (i > 0)
      text += separator;
    text += control.Lines[i];
  }
  return text;
}

std::span<const TLayoutControl> WindowLayout() {
  static const std::vector<TLayoutControl> layout = MakeLayout();
  return layout;
}

const TLayoutControl* LayoutControl(std::string_view name) {
  for (const TLayoutControl& control : WindowLayout()) {
    if (control.Name == name)
      return &control;
  }
  return nullptr;
}

const TLayoutControl& LayoutControl(TControl role) {
  return *LayoutControl(ControlName(role));
}

}  // namespace vornel
