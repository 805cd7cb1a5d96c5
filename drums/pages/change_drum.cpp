#include "drums/pages/change_drum.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "drums/drum_list.h"
#include "drums/drum_move.h"
#include "drums/pages/drum_tab.h"
#include "ui/named_button.h"

namespace drums {

TChangeDrum::TChangeDrum(DrumPagesContext& context, DrumPages& pages, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      pages_(pages) {
    setObjectName("ChangeDrum");
    setWindowTitle("DRUM LIST");
    auto* column = new QVBoxLayout(this);
    DrumChange = new QComboBox(this);
    DrumChange->setObjectName("DrumChange");
    DrumChange->setEditable(false);
    for (const DrumListEntry& e : DrumList) DrumChange->addItem(e.text);
    // Navy under aqua both closed and open: the open list is a view of its own, which the
    // box's own rule does not reach.
    DrumChange->setStyleSheet(
        "QComboBox { background: navy; color: aqua; font-family: Arial; font-weight: bold; "
        "font-style: italic; }"
        "QComboBox QAbstractItemView { background: navy; color: aqua; selection-background-color: aqua; "
        "selection-color: navy; }");
    DrumChange->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // the longest name shows whole
    column->addWidget(DrumChange);
    DrumTabs = ui::NamedButton(this, "DrumTabs", "SELECT DRUM", "Select New Drum");
    CHANGE = ui::NamedButton(this, "CHANGE", "CHANGE DRUM", "Change the Drum thats playing");
    CANCEL = ui::NamedButton(this, "CANCEL", "CANCEL", "NO CHANGES");
    connect(DrumTabs, &QPushButton::clicked, this, [this] { DrumTabsClick(); });
    connect(CHANGE, &QPushButton::clicked, this, [this] { CHANGEClick(); });
    connect(CANCEL, &QPushButton::clicked, this, [this] { CANCELClick(); });
    for (QPushButton* b : {DrumTabs, CHANGE, CANCEL}) column->addWidget(b);
    // The designed 177 x 144, or wider where the desktop's fonts need it for the names.
    ensurePolished();  // the list's own font (from its style sheet) decides its width
    setFixedSize(column->minimumSize().expandedTo(QSize(177, 144)));
    Reset();
}

void TChangeDrum::Reset() {
    DrumChange->setCurrentIndex(-1);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

int TChangeDrum::chosenDrum() const {
    const int entry = DrumChange->currentIndex();
    if (entry < 0 || entry >= kDrumListEntries) return -1;
    const int key = DrumList[static_cast<std::size_t>(entry)].key;
    return key > 0 ? key - 27 : -1;
}

void TChangeDrum::DrumTabsClick() {
    context_.wide.shell.PageCode = "DT";
    hide();
    TDrumTab* tab = pages_.DrumTab;
    if (!tab) return;
    const int drum = chosenDrum();
    tab->show();
    // The blank entry repaints the tab that is shown.
    if (drum >= 0)
        tab->SelectDrumTab(drum);
    else
        tab->DrumTabsChange();
}

void TChangeDrum::CHANGEClick() {
    const int from = context_.state.drums.EditDrum;
    context_.wide.shell.PageCode = "DT";
    hide();
    const int to = chosenDrum();
    const bool moved =
        to >= 0 && MoveDrum(context_.state.drums, context_.drums, context_.transport, from, to);
    TDrumTab* tab = pages_.DrumTab;
    if (!tab) return;
    tab->show();
    // The tab may have stayed on screen under the dialog; it repaints for the moved drum here.
    if (moved) tab->SelectDrumTab(to);
}

void TChangeDrum::CANCELClick() {
    if (pages_.DrumTab) pages_.DrumTab->show();
    hide();
}

}  // namespace drums
