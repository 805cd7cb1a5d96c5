#include "drums/pages/change_drum.h"

#include <QVBoxLayout>

#include "drums/drum_list.h"
#include "drums/pages/drum_tab.h"

namespace drums {

TChangeDrum::TChangeDrum(app::ProgramContext& context, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), context_(context) {
    setObjectName("ChangeDrum");
    setWindowTitle("DRUM LIST");
    resize(177, 144);
    auto* column = new QVBoxLayout(this);
    DrumChange = new QComboBox(this);
    DrumChange->setObjectName("DrumChange");
    DrumChange->setEditable(false);
    for (const DrumListEntry& e : DrumList) DrumChange->addItem(e.text);
    DrumChange->setStyleSheet("QComboBox { background: navy; color: aqua; font: bold italic; }");
    column->addWidget(DrumChange);
    CANCEL = new QPushButton("CANCEL", this);
    CANCEL->setObjectName("CANCEL");
    CANCEL->setToolTip("NO CHANGES");
    connect(CANCEL, &QPushButton::clicked, this, [this] { CANCELClick(); });
    column->addWidget(CANCEL);
    Reset();
}

void TChangeDrum::Reset() {
    DrumChange->setCurrentIndex(-1);
}

void TChangeDrum::CANCELClick() {
    if (context_.pages.DrumTab) context_.pages.DrumTab->show();
    hide();
}

}  // namespace drums
