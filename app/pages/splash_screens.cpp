#include "app/pages/splash_screens.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "app/pages/quintora_form.h"
#include "app/pages/splash_pictures.h"
#include "common/folders.h"
#include "platform/qt/qt_hold.h"
#include "platform/services.h"
#include "player/pages/midi_form.h"
#include "player/player_ops.h"
#include "ui/palette.h"

namespace app {

namespace {

// The jingles by number, as the player page plays them.
constexpr int kStartJingle = 1;
constexpr int kAboutJingle = 3;

QLabel* label(QWidget* parent, const char* name, const char* text, const QColor& colour, int pixelHeight,
              bool bold, bool italic) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    if (pixelHeight > 0) f.setPixelSize(pixelHeight);
    f.setBold(bold);
    f.setItalic(italic);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

// A picture stretched over its whole widget. Painted by hand, not by a label, so that it keeps
// its colours on the start splash, which is disabled.
class Picture final : public QWidget {
  public:
    Picture(QWidget* parent, const char* name, QPixmap pixmap) : QWidget(parent), pixmap_(std::move(pixmap)) {
        setObjectName(name);
        setGeometry(parent->rect());
    }

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(rect(), pixmap_); }

  private:
    QPixmap pixmap_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window.move(frame.topLeft());
}

void HoldRepainting(platform::SteadyTime until, const std::function<bool()>& done) {
    platform::Clock& clock = platform::services().clock();
    while (clock.now() < until && !(done && done())) {
        platform::qt::RepaintWhileHeld();
        clock.waitMs(static_cast<std::uint32_t>(player::kJingleHoldSlice.count()));
    }
    platform::qt::RepaintWhileHeld();
}

bool OnScreen(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return window.isVisible() && handle && handle->isExposed();
}

// A plain frameless window, not a splash-screen type that window managers keep above others: the
// screen warning that start-up may show while it stands must not end up behind it.
TMidiSplash::TMidiSplash() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("MidiSplash");
    setWindowTitle("Quintora2");
    setFixedSize(684, 181);
    setEnabled(false);  // it takes no input
    QFont white = font();
    white.setBold(true);
    setFont(white);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(rect());
    Image1 = new Picture(Panel1, "Image1", StartSplashPicture(size()));
    Label1 = label(this, "Label1", "QUINTORA", ui::clRed, 107, true, true);
    QFont underlined = Label1->font();
    underlined.setUnderline(true);
    Label1->setFont(underlined);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(0, 0, width(), 135);
    // The " 2 " sits under the middle of the title, overlapping its lower half.
    Label2 = label(this, "Label2", " 2 ", ui::clBlue, 88, true, true);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Label2->setGeometry(0, 70, width(), height() - 70);
    CentreOnScreen(*this);
}

TEndSplash::TEndSplash(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName("EndSplash");
    setWindowTitle("Quintora2");
    setFixedSize(685, 176);
    Image1 = new Picture(this, "Image1", EndSplashPicture(size()));
    Label1 = label(this, "Label1", "Thank you for using QUINTORA2", ui::clRed, 64, true, true);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setGeometry(rect().adjusted(8, 4, -8, -30));
}

TAboutBox::TAboutBox(ShellContext& context, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      context_(context) {
    setObjectName("AboutBox");
    setWindowTitle("About  Quintora2");
    setFixedSize(295, 183);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(rect());
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);
    QPalette blue = Panel1->palette();
    blue.setColor(QPalette::Window, ui::clBlue);
    Panel1->setPalette(blue);
    ProgramIcon = new Picture(Panel1, "ProgramIcon", AboutPicture(size()));
    ProgramIcon->setGeometry(Panel1->contentsRect());

    ProductName = label(Panel1, "ProductName", " Midi Tarn Sequencer ", ui::clLime, 27, true, true);
    ProductName->setAlignment(Qt::AlignCenter);
    ProductName->setGeometry(2, 4, 291, 34);
    // The full height where the desktop's font is narrow enough, else as large as fits the box.
    QFont narrow = ProductName->font();
    narrow.setStretch(QFont::SemiCondensed);
    while (narrow.pixelSize() > 12 &&
           QFontMetrics(narrow).horizontalAdvance(ProductName->text()) > ProductName->width())
        narrow.setPixelSize(narrow.pixelSize() - 1);
    ProductName->setFont(narrow);
    Version = label(Panel1, "Version", "Version 2.0 ", ui::clRed, 0, true, true);
    Version->setAlignment(Qt::AlignCenter);
    Version->setGeometry(2, 38, 291, 18);
    CompanyName = label(Panel1, "CompanyName", "The Quintora2 project", ui::clAqua, 0, false, false);
    CompanyName->setAlignment(Qt::AlignCenter);
    CompanyName->setGeometry(2, 58, 291, 16);
    Copyright = label(Panel1, "Copyright", "2026", ui::clAqua, 0, false, false);
    Copyright->setAlignment(Qt::AlignCenter);
    Copyright->setGeometry(2, 74, 291, 16);
    Comments =
        label(Panel1, "Comments", "Auto Tarn Generator for Midi Keyboards", ui::clYellow, 0, true, false);
    Comments->setAlignment(Qt::AlignCenter);
    Comments->setWordWrap(true);
    Comments->setGeometry(10, 92, 275, 34);
    CREDIT = label(Panel1, "CREDIT", "Written and played by the Quintora2 team", ui::clRed, 0, true, true);
    CREDIT->setGeometry(10, 128, 200, 44);
    CREDIT->setWordWrap(true);
    // Red reads on the night sky, not over the keys it would otherwise stand on.
    CREDIT->setAutoFillBackground(true);
    QPalette night = CREDIT->palette();
    night.setColor(QPalette::Window, kAboutNight);
    CREDIT->setPalette(night);
    BitBtn1 = new QPushButton("OK ", Panel1);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(214, 140, 70, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    CentreOnScreen(*this);
}

void TAboutBox::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The jingle greets the box once; the modal box is the only window that can take focus,
    // so later activations would only come from other programs' windows.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible() && !jinglePlayed_) {
        jinglePlayed_ = true;
        Panel2Click();
    }
}

void TAboutBox::Panel2Click() {
    repaint();
    if (context_.pages.MidiForm) context_.pages.MidiForm->PlayJingle(kAboutJingle);
}

void TAboutBox::BitBtn1Click() {
    if (TQuintoraForm* setup = context_.pages.QuintoraForm) {
        setup->OKInBtnClick();
        setup->OKOutBtnClick();
    }
    if (context_.pages.MidiForm) context_.pages.MidiForm->show();
    accept();
}

void CloseSplash(ShellContext& context, player::TMidiForm& player) {
    player.PlayJingle(kStartJingle);
    CloseStartSplash(context);
}

void CloseStartSplash(ShellContext& context) {
    if (TMidiSplash* splash = context.pages.MidiSplash) {
        splash->hide();
        splash->close();
        delete splash;
    }
    context.drums.ParkEngineCell();
    context.state.drums.Modified = 0;
}

void ShowAboutBox(ShellContext& context, QWidget* owner) {
    common::SelectFolder(context.state.shell, common::kProgramFolderRequest);
    auto* box = new TAboutBox(context, owner);
    context.pages.AboutBox = box;
    box->exec();
    delete box;
}

}  // namespace app
