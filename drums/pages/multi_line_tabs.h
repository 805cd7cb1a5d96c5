#pragma once
// A tab control whose tabs wrap onto as many rows as they need, so that all 61 drums are in
// sight at once. onChange runs whenever the selected tab changes, by a click, an arrow key or
// code; onEnter runs when the control takes the focus.

#include <QString>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <vector>

namespace drums {

class MultiLineTabs : public QWidget {
  public:
    // Tabs are laid out in rows no wider than `width` pixels.
    MultiLineTabs(const std::vector<QString>& captions, int width, QWidget* parent = nullptr);

    int count() const { return static_cast<int>(tabs_.size()); }
    int currentIndex() const { return current_; }
    // Indices outside the tabs are ignored.
    void setCurrentIndex(int index);
    // The tab's button, for tests that click it as the user does.
    QToolButton* tabButton(int index) const;

    std::function<void()> onChange;
    std::function<void()> onEnter;

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::vector<QToolButton*> tabs_;
    int current_ = -1;
};

}  // namespace drums
