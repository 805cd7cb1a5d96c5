#include "app/pages/splash_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app {

namespace {

// White keys across `area`, black keys where a piano has them (none after E and B).
void drawKeys(QPainter& p, const QRectF& area, int whiteKeys, const QColor& white = QColor(250, 250, 245),
              const QColor& black = QColor(25, 25, 30)) {
    const qreal w = area.width() / whiteKeys;
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(white);
    for (int i = 0; i < whiteKeys; ++i) p.drawRect(QRectF(area.left() + i * w, area.top(), w, area.height()));
    p.setBrush(black);
    for (int i = 0; i + 1 < whiteKeys; ++i) {
        const int inOctave = i % 7;  // 0 = C
        if (inOctave == 2 || inOctave == 6) continue;
        p.drawRect(QRectF(area.left() + (i + 0.68) * w, area.top(), w * 0.64, area.height() * 0.6));
    }
}

// An eighth note: a tilted head, a stem and a flag.
void drawNote(QPainter& p, QPointF head, qreal size, const QColor& colour) {
    p.setPen(QPen(colour, size * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(colour);
    p.save();
    p.translate(head);
    p.rotate(-20);
    p.drawEllipse(QRectF(-size * 0.35, -size * 0.25, size * 0.7, size * 0.5));
    p.restore();
    const QPointF top(head.x() + size * 0.32, head.y() - size * 1.6);
    p.drawLine(QPointF(head.x() + size * 0.32, head.y() - size * 0.1), top);
    QPainterPath flag(top);
    flag.cubicTo(top + QPointF(size * 0.1, size * 0.4), top + QPointF(size * 0.7, size * 0.5),
                 top + QPointF(size * 0.5, size * 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flag);
}

QPixmap canvas(QSize size, const QColor& top, const QColor& bottom, QPainter& p) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    p.begin(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, top);
    sky.setColorAt(1, bottom);
    p.fillRect(pixmap.rect(), sky);
    return pixmap;
}

}  // namespace

QPixmap StartSplashPicture(QSize size) {
    QPainter p;
    QPixmap pixmap = canvas(size, QColor(255, 255, 255), QColor(205, 225, 250), p);
    const qreal h = size.height();
    drawKeys(p, QRectF(0, h * 0.78, size.width(), h * 0.22), 28);
    const QColor notes[] = {QColor(250, 170, 40), QColor(120, 200, 90), QColor(230, 110, 160)};
    for (int i = 0; i < 6; ++i)
        drawNote(p, QPointF(size.width() * (0.06 + 0.17 * i), h * (0.62 - 0.06 * (i % 3))), h * 0.12,
                 notes[i % 3]);
    p.end();
    return pixmap;
}

QPixmap EndSplashPicture(QSize size) {
    QPainter p;
    QPixmap pixmap = canvas(size, QColor(255, 244, 214), QColor(250, 205, 160), p);
    const qreal h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 225, 120));
    p.drawEllipse(QPointF(size.width() * 0.94, h * 0.1), h * 0.14, h * 0.14);
    drawKeys(p, QRectF(0, h * 0.82, size.width(), h * 0.18), 35);
    p.end();
    return pixmap;
}

QPixmap AboutPicture(QSize size) {
    QPainter p;
    QPixmap pixmap = canvas(size, QColor(10, 20, 90), kAboutNight, p);
    const qreal w = size.width(), h = size.height();
    // A keyboard at night, dim enough for the texts over it.
    drawKeys(p, QRectF(0, h * 0.7, w, h * 0.3), 21, QColor(45, 60, 130), QColor(5, 5, 30));
    drawNote(p, QPointF(w * 0.9, h * 0.5), h * 0.08, QColor(90, 110, 200));
    p.end();
    return pixmap;
}

}  // namespace app
