// What a wizard window just made for a product has set, on either window
// system: the introduction with the product put in, the first page, no step
// running, and the state pointing at the window and at its folder.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/support/window_design.h"

namespace vornel::test {

template <class TForm>
void ExpectFreshForm(TForm& form, const TInstallerState& state, const char16_t* product,
                     const std::u16string& folder) {
  EXPECT_EQ(form.LabelLinesText(TControl::HTMText_Uvod), DesignIntroduction(product));
  EXPECT_EQ(form.PageIndex(), TS_Step1);
  EXPECT_FALSE(state.DownloadActive);
  EXPECT_FALSE(state.UnZipperActive);
  EXPECT_EQ(state.MainInstallForm, static_cast<TInstallerView*>(&form));
  EXPECT_EQ(state.CurrentDir, folder);
}

}  // namespace vornel::test
