#include "ui/path_label.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace ui {

QString ElidePath(const QFontMetrics& metrics, const QString& path, int width) {
    return metrics.elidedText(path, Qt::ElideLeft, std::max(0, width));
}

QString ElideCaption(const QFontMetrics& metrics, const QString& prefix, const QString& path, int width) {
    return prefix + ElidePath(metrics, path, width - metrics.horizontalAdvance(prefix));
}

namespace {

// The indent a label keeps on the side its text is aligned to: its own, or half an 'x' when it
// has a frame and no indent of its own.
int Indent(const QLabel& label) {
    if (label.indent() >= 0) return label.indent();
    if (label.frameWidth() <= 0) return 0;
    return std::max(0, label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label.margin());
}

}  // namespace

int PathLabel::textWidth() const {
    const int sides = ((alignment() & Qt::AlignLeft) ? 1 : 0) + ((alignment() & Qt::AlignRight) ? 1 : 0);
    return contentsRect().width() - 2 * margin() - sides * Indent(*this);
}

QString PathLabel::shownText() const {
    return ElidePath(fontMetrics(), text(), textWidth());
}

void PathLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);  // the frame only; the text is drawn here, elided
    QPainter painter(this);
    const int indent = Indent(*this);
    const QRect area =
        contentsRect().adjusted(margin() + ((alignment() & Qt::AlignLeft) ? indent : 0), margin(),
                                -margin() - ((alignment() & Qt::AlignRight) ? indent : 0), -margin());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

}  // namespace ui
