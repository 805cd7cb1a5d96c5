#include "import/pages/inst_list_form.h"

#include <QGridLayout>
#include <QLabel>

#include "import/pages/converting.h"
#include "ui/palette.h"
#include "ui/widgets.h"

namespace midiimport {

namespace {

QComboBox* list(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setToolTip("Choose an Instrument.");
    box->setMaxVisibleItems(10);
    box->setStyleSheet("QComboBox, QComboBox QAbstractItemView { color: yellow; background: navy; }");
    return box;
}

}  // namespace

TInstListForm::TInstListForm(ImportPagePair& pages) : pages_(pages) {
    setObjectName("InstListForm");
    setWindowTitle("Choose an Instrument.");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setToolTip("DO NOT select COMMENTS - OR ANY MELODY Channels");
    setFixedSize(673, 222);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, ui::clSilver);
    setPalette(p);

    auto* grid = new QGridLayout(this);
    grid->addWidget(ui::Panel(this, "Panel5", "Choose Instruments", nullptr, QFrame::Plain), 0, 0, 1, 2);
    PianoList = list(this, "PianoList");
    StringsList = list(this, "StringsList");
    BrassList = list(this, "BrassList");
    BassList = list(this, "BassList");
    const char* const names[4] = {"Panel1", "Panel2", "Panel3", "Panel4"};
    const char* const captions[4] = {"Piano Part", "Strings Part", "Brass Part", "Bass Part"};
    QComboBox* const lists[4] = {PianoList, StringsList, BrassList, BassList};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(ui::Panel(this, names[i], captions[i], nullptr, QFrame::Plain), i + 1, 0);
        grid->addWidget(lists[i], i + 1, 1);
    }
    grid->setColumnStretch(1, 1);
    ChooseButton = new QPushButton("OK", this);
    ChooseButton->setObjectName("ChooseButton");
    ChooseButton->setToolTip("Click when selection made");
    grid->addWidget(ChooseButton, 5, 1, Qt::AlignRight);
    connect(ChooseButton, &QPushButton::clicked, this, [this] { ChooseButtonClick(); });
}

void TInstListForm::SetItems(const std::vector<std::string>& items) {
    for (QComboBox* box : {PianoList, StringsList, BrassList, BassList}) {
        box->clear();
        for (const std::string& item : items) box->addItem(QString::fromStdString(item));
        box->setCurrentIndex(-1);
    }
}

std::array<std::string, 4> TInstListForm::ChosenLines() const {
    std::array<std::string, 4> lines;
    const QComboBox* const lists[4] = {PianoList, StringsList, BrassList, BassList};
    for (std::size_t i = 0; i < 4; ++i) lines[i] = lists[i]->currentText().toStdString();
    return lines;
}

void TInstListForm::ChooseButtonClick() {
    if (pages_.Converting) pages_.Converting->flow().ChooseButtonClick(ChosenLines());
}

}  // namespace midiimport
