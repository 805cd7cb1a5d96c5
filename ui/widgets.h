#pragma once
// The small controls the pages build from, each found by its name (the test hook and the page
// tests reach controls by name) with its hint as the tool tip. Push buttons: named_button.h.

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QString>
#include <QToolButton>

#include "ui/named_button.h"

namespace ui {

// A sunken (or plain) panel with a centred caption.
inline QLabel* Panel(QWidget* parent, const char* name, const QString& caption, const char* hint = nullptr,
                     QFrame::Shadow shadow = QFrame::Sunken) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    if (hint) l->setToolTip(hint);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(shadow);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// A flat speed button with a caption.
inline QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& caption, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    return b;
}

// A track bar over min..max at value; a click beside the handle moves it by page.
inline QSlider* Slider(QWidget* parent, const char* name, Qt::Orientation o, int min, int max, int value,
                       int page, const char* hint) {
    auto* s = new QSlider(o, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setPageStep(page);
    s->setToolTip(hint);
    return s;
}

}  // namespace ui
