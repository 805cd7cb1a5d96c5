#pragma once
// A small coloured panel with a caption that reports clicks: the cells and lights of the pages.

#include <QColor>
#include <QLabel>
#include <functional>

namespace app {

// The colours the pages use.
inline const QColor clLime(0, 255, 0);
inline const QColor clRed(255, 0, 0);
inline const QColor clBlue(0, 0, 255);
inline const QColor clGreen(0, 128, 0);
inline const QColor clYellow(255, 255, 0);

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

}  // namespace app
