#include "installer/start_up.h"

#include "installer/identity.h"
#include "installer/product_table.h"
#include "platform/file_system.h"

namespace vornel {

void FormCreate(TInstallerState& state, TInstallerView& view, std::u16string_view executablePath) {
  state.CurrentDir = ExtractFilePath(executablePath);
  state.IDApp = IdentityOf(executablePath);
  const TProductTexts texts = ProductTextsOf(state.IDApp);
  view.SetCaption(ReplaceFirst(view.Caption(), ProductPlaceholder, texts.Caption));
  view.SetLabelLinesText(TControl::HTMText_Uvod,
                         ReplaceFirst(view.LabelLinesText(TControl::HTMText_Uvod),
                                      ProductPlaceholder, texts.Introduction));
  state.DownloadActive = false;
  state.UnZipperActive = false;
  view.ShowPage(TS_Step1);
}

}  // namespace vornel
