#pragma once
// A push button found by its name (the test hook and the page tests click by name), with its
// caption and its hint as the tool tip.

#include <QPushButton>
#include <QString>

namespace ui {

inline QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption, const char* hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

}  // namespace ui
