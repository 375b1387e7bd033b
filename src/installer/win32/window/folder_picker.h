// The system's folder picker: the common file dialog choosing folders.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vornel {

// Modal over owner: the full path of the picked folder, or none when the user
// cancels or the dialog cannot be shown.
std::optional<std::u16string> PickFolderDialog(HWND owner);

}  // namespace vornel
