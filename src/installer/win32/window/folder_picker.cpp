#include "installer/win32/window/folder_picker.h"

#include <shobjidl.h>

#include "installer/win32/window/com_ptr.h"

namespace vornel {

std::optional<std::u16string> PickFolderDialog(HWND owner) {
  TComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(dialog.Out()))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM)) ||
      FAILED(dialog->Show(owner)))
    return std::nullopt;
  TComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Out())))
    return std::nullopt;
  PWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr)
    return std::nullopt;
  std::u16string result(reinterpret_cast<const char16_t*>(path));
  CoTaskMemFree(path);
  return result;
}

}  // namespace vornel
