#pragma once
// The colours of the pages, in one place: every page takes its named colours from here.

#include <QColor>

namespace ui {

inline const QColor clBlack(0, 0, 0);
inline const QColor clRed(255, 0, 0);
inline const QColor clLime(0, 255, 0);
inline const QColor clGreen(0, 128, 0);
inline const QColor clBlue(0, 0, 255);
inline const QColor clNavy(0, 0, 128);
inline const QColor clYellow(255, 255, 0);
inline const QColor clAqua(0, 255, 255);
inline const QColor clPurple(128, 0, 128);
inline const QColor clSilver(192, 192, 192);
inline const QColor clBtnShadow(128, 128, 128);  // the caption of a control that is off

}  // namespace ui
