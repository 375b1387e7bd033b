// The wizard window as designed, for the tests of every window system: each
// named control with its parent, place (pixels at 96 dots per inch), initial
// visibility and text, and each HTML text label with its font. The kind of a
// control follows from its name's prefix (B_ button, ChB_ check box, ArPB_
// progress bar; panels, pages, the picture and the title are plain windows).
#pragma once

#include <string>

namespace vornel::test {

struct TDesignControl {
  const char* Name;
  const char* Parent;
  int Left, Top, Width, Height;
  bool Visible;
  const char16_t* Text;  // buttons, the check box and the plain label; null for others
};

inline constexpr TDesignControl DesignControls[] = {
    {"P_Title", "MainInstallForm", 208, 8, 377, 22, true, nullptr},
    {"Label1", "P_Title", 0, 0, 377, 22, true,
     u"Nakladatelství Vornel, a.s. Vás vítá v instalátoru"},
    {"P_Image", "MainInstallForm", 2, 2, 198, 265, true, nullptr},
    {"Image1", "P_Image", 7, 7, 184, 250, true, nullptr},
    {"PC_Main", "MainInstallForm", 208, 69, 378, 198, true, nullptr},
    {"TS_Step1", "PC_Main", 4, 4, 370, 188, true, nullptr},
    {"TS_Step2", "PC_Main", 4, 4, 370, 188, false, nullptr},
    {"TS_Step3", "PC_Main", 4, 4, 370, 188, false, nullptr},
    {"P_Step1", "TS_Step1", 0, 0, 370, 188, true, nullptr},
    {"P_Step2", "TS_Step2", 0, 0, 370, 188, true, nullptr},
    {"P_Step3", "TS_Step3", 0, 0, 370, 188, true, nullptr},
    {"B_StartK1", "P_Step1", 288, 143, 75, 25, true, u"Start"},
    {"B_StornoDown", "P_Step1", 207, 143, 75, 25, false, u"Storno"},
    {"ArPB_Down", "P_Step1", 0, 176, 370, 12, false, nullptr},
    {"B_RozbalK2", "P_Step2", 288, 143, 75, 25, true, u"Rozbalit"},
    {"ChB_Zaloha", "P_Step2", 20, 71, 317, 17, true,
     u"Uchovat zálohu instalační sady pro pozdější použití ve složce:"},
    {"ArPB_Main", "P_Step2", 0, 176, 370, 12, false, nullptr},
    {"B_InstalK3", "P_Step3", 288, 143, 75, 25, true, u"Instalovat"},
    {"B_Storno", "P_Step3", 207, 143, 75, 25, false, u"Storno"},
};

struct TDesignLabel {
  const char* Name;
  const char* Parent;
  int Left, Top;
  int Width;  // 0: sized to its text
  bool Visible;
  int PixelHeight;  // Tahoma's character height at 96 dots per inch
  bool Bold;
};

inline constexpr TDesignLabel DesignLabels[] = {
    {"HTMText_Uvod", "MainInstallForm", 208, 40, 378, true, 11, false},
    {"HTMText_KrokN1", "P_Step1", 1, 2, 0, true, 13, true},
    {"HTMText_Krok1", "P_Step1", 20, 4, 349, true, 11, false},
    {"HTMText_InfoDown", "P_Step1", 20, 116, 349, false, 11, false},
    {"HTMText_Krok2_2", "P_Step2", 20, 4, 349, false, 11, false},
    {"HTMText_KrokN2", "P_Step2", 1, 2, 0, true, 13, true},
    {"HTMText_Krok2_1", "P_Step2", 20, 4, 349, true, 11, false},
    {"HTMText_BackupFolder", "P_Step2", 36, 90, 333, false, 11, false},
    {"HTMText_Krok3", "P_Step3", 20, 4, 349, true, 11, false},
    {"HTMText_KrokN3", "P_Step3", 1, 2, 0, true, 13, true},
    {"HTMText_InfoSetup_NoOK", "P_Step3", 20, 84, 350, false, 11, false},
    {"HTMText_InfoSetup_OK", "P_Step3", 20, 84, 350, false, 11, false},
};

// What start-up makes of the executable's name (without folder and extension):
// the caption and the product in the introduction. A name of none of the three
// products (a browser's "(1)" copy) gets the texts of the last product.
struct TDesignIdentity {
  const char16_t* Name;
  const char16_t* Caption;
  const char16_t* Product;
};

inline constexpr TDesignIdentity DesignIdentities[] = {
    {u"InstallTarvo", u"Vornel instalátor: Účetní průvodce Tarvo, revize k 1.1.2021",
     u"účetního průvodce Tarvo"},
    {u"InstallTarvoNET", u"Vornel instalátor: Účetní průvodce Tarvo, revize k 1.1.2021",
     u"účetního průvodce Tarvo"},
    {u"InstallKveloWin", u"Vornel instalátor: Kvelo pro Windows, stav k 1.1.2021",
     u"Kvelo pro Windows"},
    {u"Installer (1)", u"Vornel instalátor: Kvelo pro Windows, stav k 1.1.2021",
     u"Kvelo pro Windows"},
};

// The introduction's markup with the product put in.
inline std::u16string DesignIntroduction(const char16_t* product) {
  return std::u16string(u"S instalací <B>") + product +
         u"</B> Vám pomůže náš instalátor. Postupujte podle následujících kroků:\r\n";
}

}  // namespace vornel::test
