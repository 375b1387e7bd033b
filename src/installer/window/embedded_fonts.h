// The fonts compiled into the program.
#pragma once

namespace vornel {

// Registers Tahoma and Tahoma Bold from the program's resources with the
// application's font database. Call once after the application object exists;
// false when a font could not be registered.
bool RegisterEmbeddedFonts();

// The resource path of the window's picture.
inline constexpr const char* PictureResource = ":/vornel/picture.png";

}  // namespace vornel
