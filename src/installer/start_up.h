// The window-creation handler: the installer's identity and the product texts.
#pragma once

#include <string_view>

#include "installer/installer_state.h"
#include "installer/installer_view.h"

namespace vornel {

// Sets CurrentDir and IDApp from the executable's path, puts the product texts into
// the caption and the introduction (first placeholder only), clears the busy flags
// and shows page 0.
void FormCreate(TInstallerState& state, TInstallerView& view, std::u16string_view executablePath);

}  // namespace vornel
