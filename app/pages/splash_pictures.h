#pragma once
// The pictures behind the splash screens and the About box, drawn in code so the program ships
// no image files. Each is drawn at the size asked for; the forms stretch them to fill.

#include <QColor>
#include <QPixmap>
#include <QSize>

namespace app {

// A pale sky over a row of piano keys, with a few notes rising from it: behind the red and blue
// title of the start splash.
QPixmap StartSplashPicture(QSize size);

// An evening sky, light enough for the red farewell line, over the keys.
QPixmap EndSplashPicture(QSize size);

// A dark blue field with a dim keyboard, under the About box's bright texts.
QPixmap AboutPicture(QSize size);
// The darkest blue of that field, at its foot: the backdrop of a text that must read over the keys.
inline const QColor kAboutNight(0, 0, 40);

}  // namespace app
