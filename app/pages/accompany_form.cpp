#include "app/pages/accompany_form.h"

#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <initializer_list>

namespace app {

namespace {

QColor fromColourWord(live::ColourWord c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

constexpr live::ColourWord kNavy = 0x800000, kTeal = 0x808000, kYellow = 0x00FFFF;

void setFontColour(QPushButton* b, const QColor& colour) {
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText, colour);
    b->setPalette(p);
}

// The button's font at its given size where the desktop's font lets every caption it will
// show fit the button, else as much smaller as they need.
void FitCaptions(QPushButton* b, std::initializer_list<const char*> captions) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    const int room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width();
    QFont f = b->font();
    auto widest = [&] {
        int w = 0;
        for (const char* c : captions) w = std::max(w, QFontMetrics(f).horizontalAdvance(c));
        return w;
    };
    while (f.pixelSize() > 8 && widest() > room) f.setPixelSize(f.pixelSize() - 1);
    b->setFont(f);
}

struct ButtonSpec {
    const char* name;
    const char* caption;
    const char* hint;
    int left, top, width, height;
    const char* font;
    int pixels;
    bool italic;
    live::ColourWord colour;
};

QPushButton* makeButton(QWidget* panel, const ButtonSpec& s) {
    auto* b = new QPushButton(s.caption, panel);
    b->setObjectName(s.name);
    if (s.hint) b->setToolTip(s.hint);
    b->setGeometry(s.left, s.top, s.width, s.height);
    QFont f(s.font);
    f.setPixelSize(s.pixels);
    f.setBold(true);
    f.setItalic(s.italic);
    b->setFont(f);
    FitCaptions(b, {s.caption});
    b->setFocusPolicy(Qt::NoFocus);
    setFontColour(b, fromColourWord(s.colour));
    return b;
}

constexpr const char* kComic = "Comic Sans MS";

// The note keys by pitch class: the sharps above, the naturals below, as on a keyboard.
constexpr ButtonSpec kNotes[12] = {
    {"Cnote", "C", nullptr, 55, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Csnote", "C#", "Db", 112, 16, 95, 55, kComic, 32, false, live::kNoteReleased},
    {"Dnote", "D", nullptr, 155, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Dsnote", "D#", "Eb", 209, 16, 95, 55, kComic, 32, false, live::kNoteReleased},
    {"Enote", "E", nullptr, 255, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Fnote", "F", nullptr, 355, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Fsnote", "F#", "Gb", 404, 16, 95, 55, kComic, 32, false, live::kNoteReleased},
    {"Gnote", "G", nullptr, 455, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Gsnote", "G#", "Ab", 501, 16, 95, 55, kComic, 32, false, live::kNoteReleased},
    {"Anote", "A", nullptr, 555, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
    {"Asnote", "A#", "Bb", 598, 16, 95, 55, kComic, 32, false, live::kNoteReleased},
    {"Bnote", "B", nullptr, 655, 72, 95, 57, kComic, 32, false, live::kNoteReleased},
};

}  // namespace

TAccompanyForm::TAccompanyForm(ui::ProgramContext& context)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), context_(context) {
    setObjectName("AccompanyForm");
    setWindowTitle("Accompaniment");
    setGeometry(-6, 440, 804, 138);
    AccomPanel1 = new QWidget(this);
    AccomPanel1->setObjectName("AccomPanel1");
    AccomPanel1->setGeometry(0, 138 - 145, 804, 145);  // aligned to the bottom

    BitBtn1 =
        makeButton(AccomPanel1, {"BitBtn1", "Velocity", nullptr, 15, 16, 95, 55, kComic, 21, false, kTeal});
    ORVX =
        makeButton(AccomPanel1, {"ORVX", "ORVX", nullptr, 306, 16, 95, 55, "Courier New", 27, true, kNavy});
    Velocity =
        makeButton(AccomPanel1, {"Velocity", "0%", nullptr, 695, 16, 95, 55, kComic, 27, false, kTeal});
    InChannel =
        makeButton(AccomPanel1, {"InChannel", "Chan", nullptr, 15, 72, 35, 25, kComic, 13, false, kNavy});
    ChannelNumber =
        makeButton(AccomPanel1, {"ChannelNumber", "", nullptr, 15, 97, 35, 32, kComic, 27, false, kYellow});
    BitBtn2 =
        makeButton(AccomPanel1, {"BitBtn2", "Note", nullptr, 755, 72, 35, 25, kComic, 11, false, kNavy});
    DisplayNote =
        makeButton(AccomPanel1, {"DisplayNote", "", nullptr, 755, 97, 35, 32, kComic, 27, false, kYellow});
    // The widest channel, velocity and key they show.
    FitCaptions(ChannelNumber, {"16"});
    FitCaptions(Velocity, {"100%"});
    FitCaptions(DisplayNote, {"127"});
    for (int pc = 0; pc < 12; ++pc) {
        QPushButton* b = makeButton(AccomPanel1, kNotes[pc]);
        Note[static_cast<std::size_t>(pc)] = b;
        connect(b, &QPushButton::clicked, this, [this, pc] { NoteClick(pc); });
    }
}

void TAccompanyForm::ShowPlayedNote(int key, int pitchClass, int velocity, int channel) {
    display_.ShowKey(key, pitchClass, velocity, channel);
    paint();
}

void TAccompanyForm::ClearPlayedNotes() {
    display_.ClearPlayedNotes();
    paint();
}

void TAccompanyForm::NoteClick(int pitchClass) {
    if (pitchClass < 0 || pitchClass >= 12) return;
    display_.NoteClick(static_cast<unsigned>(pitchClass));
    setFontColour(Note[static_cast<std::size_t>(pitchClass)],
                  fromColourWord(display_.noteColour(static_cast<unsigned>(pitchClass))));
}

QColor TAccompanyForm::fontColour(const QPushButton* button) {
    return button->palette().color(QPalette::ButtonText);
}

void TAccompanyForm::paint() {
    for (unsigned pc = 0; pc < 12; ++pc) setFontColour(Note[pc], fromColourWord(display_.noteColour(pc)));
    ChannelNumber->setText(QString::fromStdString(display_.channelText()));
    Velocity->setText(QString::fromStdString(display_.velocityText()));
    DisplayNote->setText(QString::fromStdString(display_.keyText()));
    setFontColour(ORVX, fromColourWord(display_.logoColour()));
}

}  // namespace app
