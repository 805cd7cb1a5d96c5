#include "drums/pages/multi_line_tabs.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace drums {

namespace {

constexpr const char* kTabStyle =
    "QToolButton { border: 1px solid gray; border-bottom: none; border-top-left-radius: 3px;"
    " border-top-right-radius: 3px; padding: 1px 4px; background: palette(button); }"
    "QToolButton:checked { background: palette(base); font-weight: bold; }";

}  // namespace

MultiLineTabs::MultiLineTabs(const std::vector<QString>& captions, int width, QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setStyleSheet(kTabStyle);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    QHBoxLayout* row = nullptr;
    int used = 0;
    for (const QString& caption : captions) {
        auto* tab = new QToolButton(this);
        tab->setText(caption);
        tab->setCheckable(true);
        tab->setFocusPolicy(Qt::NoFocus);
        const int index = static_cast<int>(tabs_.size());
        connect(tab, &QToolButton::clicked, this, [this, index] {
            // As a tab control: the click gives it the focus first, then selects the tab.
            setFocus(Qt::MouseFocusReason);
            setCurrentIndex(index);
            tabs_[static_cast<std::size_t>(current_)]->setChecked(true);
        });
        const int w = tab->sizeHint().width();
        if (!row || used + w > width) {
            row = new QHBoxLayout();
            row->setSpacing(0);
            rows->addLayout(row);
            used = 0;
        }
        row->addWidget(tab);
        used += w;
        tabs_.push_back(tab);
    }
    for (int i = 0; i < rows->count(); ++i)
        if (auto* r = qobject_cast<QHBoxLayout*>(rows->itemAt(i)->layout())) r->addStretch();
}

void MultiLineTabs::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == current_) return;
    if (current_ >= 0) tabs_[static_cast<std::size_t>(current_)]->setChecked(false);
    current_ = index;
    tabs_[static_cast<std::size_t>(current_)]->setChecked(true);
    if (onChange) onChange();
}

QToolButton* MultiLineTabs::tabButton(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return tabs_[static_cast<std::size_t>(index)];
}

void MultiLineTabs::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (onEnter) onEnter();
}

void MultiLineTabs::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up) {
        setCurrentIndex(current_ - 1);
    } else if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down) {
        setCurrentIndex(current_ + 1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace drums
