#include "installer/installer_view.h"

namespace vornel {

std::string_view ControlName(TControl control) {
  switch (control) {
    case TControl::HTMText_Uvod:
      return "HTMText_Uvod";
    case TControl::HTMText_InfoDown:
      return "HTMText_InfoDown";
    case TControl::B_StartK1:
      return "B_StartK1";
    case TControl::B_StornoDown:
      return "B_StornoDown";
    case TControl::ArPB_Down:
      return "ArPB_Down";
    case TControl::HTMText_Krok2_1:
      return "HTMText_Krok2_1";
    case TControl::HTMText_Krok2_2:
      return "HTMText_Krok2_2";
    case TControl::HTMText_BackupFolder:
      return "HTMText_BackupFolder";
    case TControl::ChB_Zaloha:
      return "ChB_Zaloha";
    case TControl::B_RozbalK2:
      return "B_RozbalK2";
    case TControl::ArPB_Main:
      return "ArPB_Main";
    case TControl::HTMText_InfoSetup_NoOK:
      return "HTMText_InfoSetup_NoOK";
    case TControl::HTMText_InfoSetup_OK:
      return "HTMText_InfoSetup_OK";
    case TControl::B_InstalK3:
      return "B_InstalK3";
    case TControl::B_Storno:
      return "B_Storno";
  }
  return "?";
}

}  // namespace vornel
