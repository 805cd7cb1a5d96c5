#pragma once
// Captions that name a file. A path too long for its control loses its beginning, never its
// file name: the folders are what the user can spare.

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace ui {

// `path` as it fits `width` pixels at `metrics`: whole, or its start replaced by an ellipsis.
QString ElidePath(const QFontMetrics& metrics, const QString& path, int width);

// `prefix` followed by `path`, elided from the start of the path, within `width` pixels; the
// prefix stays whole.
QString ElideCaption(const QFontMetrics& metrics, const QString& prefix, const QString& path, int width);

// A label whose text is a path: text() keeps the whole path, the label shows what fits.
class PathLabel final : public QLabel {
  public:
    using QLabel::QLabel;
    // The text as it is drawn at the label's present size.
    QString shownText() const;
    // The pixels the text may take at the present size.
    int textWidth() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
