#pragma once
// A small coloured panel with a caption that reports clicks: the cells and lights of the pages.

#include <QColor>
#include <QLabel>
#include <functional>

#include "ui/palette.h"

namespace ui {

class ColourPanel : public QLabel {
  public:
    explicit ColourPanel(const QString& caption = QString(), QWidget* parent = nullptr);
    void setColour(const QColor& colour);
    QColor colour() const { return colour_; }
    std::function<void()> onClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QColor colour_;
};

}  // namespace ui
