// The window's panels as STATIC child windows: they paint their own background
// in the button-face colour (the title panel also its bottom edge as a flat
// bevel, the picture panel its picture) and pass what their children tell their
// parent (clicks, colour requests) on to the top-level window, which handles it.
#pragma once

#include <windows.h>

namespace vornel {

class TPicture;

enum class TPanelLook { plPlain, plTitle, plPicture };

// A hidden panel at the place in the parent's client pixels; picture (kept by
// the caller while the panel lives) is drawn by a panel of look plPicture.
// Null when the window cannot be made.
HWND CreateStaticPanel(HWND parent, const RECT& place, int id, TPanelLook look,
                       const TPicture* picture = nullptr);

}  // namespace vornel
