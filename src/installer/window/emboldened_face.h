// Tahoma Bold as Debian's fonts-wine ships it: bold advance widths and bitmap
// strikes, but outlines of regular weight, so smoothed text drawn from it is no
// darker than regular text.
#pragma once

#include <QByteArray>

namespace vornel {

// The face's data with its weight described as semi-bold and its bold style
// flags cleared (OS/2 weight class and selection bits, head style bits). Asked
// for bold, Qt then picks this face, with its own advance widths for measuring
// and drawing alike, and has FreeType embolden its outlines. Data that is no
// TrueType font, or lacks either table, comes back unchanged.
QByteArray AsFaceToEmbolden(QByteArray font);

}  // namespace vornel
