#include "ui/colour_panel.h"

#include <QMouseEvent>

namespace ui {

ColourPanel::ColourPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void ColourPanel::setColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void ColourPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
        onClick();
}

}  // namespace ui
