// What a user sees of every page at the fonts this desktop gives: each page fits the 800 x 600
// screen it is designed for, and no caption is cut off by its control.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTest>
#include <cmath>
#include <map>

#include "app/pages/arrangement_pages.h"
#include "app/pages/splash_screens.h"
#include "drums/pages/change_drum.h"
#include "tests/app/support/pages_rig.h"
#include "ui/path_label.h"

namespace {

namespace fs = std::filesystem;

QString Plain(QString caption) {
    caption.replace("&&", "\x01");
    caption.remove('&');
    caption.replace("\x01", "&");
    return caption;
}

int Advance(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// The captions of `page` (and of the windows it owns that are shown) that do not fit their
// controls, each as "name: text (needs n, has m)".
std::vector<std::string> CutCaptions(QWidget* page) {
    std::vector<std::string> cut;
    auto check = [&](QWidget* w, const QString& text, int need, int have) {
        if (need <= have) return;
        cut.push_back(w->objectName().toStdString() + " (" + w->metaObject()->className() + "): \"" +
                      text.toStdString() + "\" needs " + std::to_string(need) + ", has " +
                      std::to_string(have));
    };
    QList<QWidget*> widgets = page->findChildren<QWidget*>();
    widgets.prepend(page);
    for (QWidget* w : widgets) {
        if (!w->isVisible()) continue;
        const QFontMetrics fm = w->fontMetrics();
        QStyle* style = w->style();
        if (auto* path = dynamic_cast<ui::PathLabel*>(w)) {
            check(w, path->shownText(), fm.horizontalAdvance(path->shownText()), path->textWidth());
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->text().isEmpty() || l->wordWrap() || Qt::mightBeRichText(l->text())) continue;
            // As the label lays out plain text: an indent (half an 'x' for a framed label
            // without one of its own) on each side it is aligned to.
            const int indent = l->indent() >= 0 ? l->indent()
                               : l->frameWidth() > 0
                                   ? fm.horizontalAdvance(QLatin1Char('x')) / 2 - l->margin()
                                   : 0;
            const int sides =
                ((l->alignment() & Qt::AlignLeft) ? 1 : 0) + ((l->alignment() & Qt::AlignRight) ? 1 : 0);
            check(w, l->text(), Advance(fm, l->text()),
                  l->contentsRect().width() - 2 * l->margin() - sides * std::max(0, indent));
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            if (b->text().isEmpty()) continue;
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = Plain(b->text());
            int have = style->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width();
            if (!b->icon().isNull()) have -= b->iconSize().width() + 4;
            check(w, opt.text, Advance(fm, opt.text), have);
        } else if (auto* tick = qobject_cast<QCheckBox*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(tick);
            check(w, tick->text(), Advance(fm, Plain(tick->text())),
                  style->subElementRect(QStyle::SE_CheckBoxContents, &opt, tick).width());
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(radio);
            check(w, radio->text(), Advance(fm, Plain(radio->text())),
                  style->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio).width());
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox opt;
            opt.initFrom(c);
            opt.editable = c->isEditable();
            const int have =
                style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).width();
            for (int i = 0; i < c->count(); ++i)
                check(w, c->itemText(i), fm.horizontalAdvance(c->itemText(i)), have);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            check(w, g->title(), fm.horizontalAdvance(Plain(g->title())),
                  g->width() - player::TMidiForm::kFrameTitleInsets);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QStyleOptionFrame opt;
            opt.initFrom(e);
            opt.lineWidth = e->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
            const QMargins m = e->textMargins();
            const int have = style->subElementRect(QStyle::SE_LineEditContents, &opt, e).width() - m.left() -
                             m.right() - 2 * 2;  // the line edit's own margin of 2 on each side
            check(w, e->text(), fm.horizontalAdvance(e->text()), have);
        }
    }
    return cut;
}

// The page's size as the screen must hold it, and the size its layout would grow it to.
void ExpectFits(QWidget* page, const char* what) {
    QApplication::processEvents();
    if (page->layout()) page->layout()->activate();
    EXPECT_LE(page->width(), 800) << what;
    EXPECT_LE(page->height(), 600) << what;
    const QSize least = page->minimumSizeHint();
    EXPECT_LE(least.width(), page->width()) << what << ": its controls are squeezed";
    EXPECT_LE(least.height(), page->height()) << what << ": its controls are squeezed";
}

class PageFit : public testsupport::PagesRig {
  protected:
    PageFit() {
        createPages();
        pages.QuintoraForm->show();
        dialogs.clear();
    }
    void ExpectCaptionsFit(QWidget* page, const char* what) {
        QApplication::processEvents();
        const auto cut = CutCaptions(page);
        EXPECT_TRUE(cut.empty()) << what << ":\n  " << testing::PrintToString(cut);
    }
    // A path as long as a user's home can make it.
    std::string LongPath(const char* name) {
        return (folder.path() / "My Music" / "Arrangements for the Sunday band" / "2026" / name).string();
    }
};

TEST_F(PageFit, TheSetupPageWithThePlayerFitsTheScreenInEachState) {
    app::TQuintoraForm* form = pages.QuintoraForm;
    ExpectFits(form, "idle, with the player page");
    ExpectCaptionsFit(form, "idle");
    form->MidiOutBtnClick();
    ExpectFits(form, "choosing the output");
    ExpectCaptionsFit(form, "choosing the output");
    form->MidiInBtnClick();
    ExpectFits(form, "choosing the input");
    ExpectCaptionsFit(form, "choosing the input");
    form->OKInBtnClick();
    ExpectFits(form, "back to idle");
}

TEST_F(PageFit, TheEditingPagesFitTheScreen) {
    pages.QuintoraForm->DRUMTABClick();
    ExpectFits(pages.DrumTab, "drum tab");
    ExpectCaptionsFit(pages.DrumTab, "drum tab");
    pages.DrumTab->hide();
    pages.DrumsGrid->show();
    ExpectFits(pages.DrumsGrid, "drum grid");
    ExpectCaptionsFit(pages.DrumsGrid, "drum grid");
    pages.DrumsGrid->hide();
    pages.OrchestraForm->show();
    ExpectFits(pages.OrchestraForm, "accompaniment page");
    ExpectCaptionsFit(pages.OrchestraForm, "accompaniment page");
}

TEST_F(PageFit, TheDialogsFitAndShowTheirWholeCaptions) {
    pages.QuintoraForm->DRUMTABClick();
    pages.DrumTab->ChngDrmClick();
    ASSERT_TRUE(pages.ChangeDrum);
    ExpectFits(pages.ChangeDrum, "drum list");
    ExpectCaptionsFit(pages.ChangeDrum, "drum list");

    pages.DrumTab->MidiExtract->click();
    ASSERT_TRUE(pages.Converting);
    ExpectFits(pages.Converting, "import page");
    for (const char* progress :
         {"MIDI", "Extracting", "Extracting 100%", "Converting", "Converting 100%", "READY"}) {
        pages.Converting->Panel4->setText(progress);
        ExpectCaptionsFit(pages.Converting, progress);
    }
    pages.InstListForm->show();
    ExpectFits(pages.InstListForm, "instrument chooser");
    ExpectCaptionsFit(pages.InstListForm, "instrument chooser");

    app::TAboutBox about(context, pages.QuintoraForm);
    about.show();
    ExpectFits(&about, "About box");
    ExpectCaptionsFit(&about, "About box");

    app::TMidiSplash start;
    start.show();
    ExpectFits(&start, "start splash");
    ExpectCaptionsFit(&start, "start splash");
    app::TEndSplash end(pages.QuintoraForm);
    end.show();
    ExpectFits(&end, "closing splash");
    ExpectCaptionsFit(&end, "closing splash");
    // The played-note strip is wider than the screen on purpose (804 from x -6), so its edges
    // stand off it; only its captions are checked.
    pages.AccompanyForm->show();
    ExpectCaptionsFit(pages.AccompanyForm, "played-note display");
    pages.AccompanyForm->ShowPlayedNote(127, 7, 127, 15);  // the widest numbers it shows
    ExpectCaptionsFit(pages.AccompanyForm, "played-note display after key 127");
}

TEST_F(PageFit, AFileNameStaysWholeInTheCaptionsThatShowAPath) {
    const std::string path = LongPath("Sunday bossa.QTR");
    pages.OrchestraForm->show();
    app::FormArrangementPages(context).showFileName(path);
    ui::PathLabel* panel = pages.OrchestraForm->FileNamePanel;
    EXPECT_EQ(panel->text().toStdString(), path) << "the label keeps the whole path";
    const QString shown = panel->shownText();
    EXPECT_TRUE(shown.endsWith("/Sunday bossa.QTR")) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QChar(0x2026))) << shown.toStdString();
    ExpectCaptionsFit(pages.OrchestraForm, "accompaniment page with a long file name");

    const QString shortPath = "/a/b.QTR";
    panel->setText(shortPath);
    EXPECT_EQ(panel->shownText(), shortPath) << "a path that fits is shown whole";

    player::TMidiForm* player = pages.MidiForm;
    const QString song = QString::fromStdString(LongPath("Rainy bossa.mid"));
    const QString title = player->FrameCaption(QString(player::kPlayerCaption) + " - " + song);
    EXPECT_TRUE(title.startsWith("MIDI PLAYER - ")) << title.toStdString();
    EXPECT_TRUE(title.endsWith("/Rainy bossa.mid")) << title.toStdString();
    EXPECT_LE(player->Frame->fontMetrics().horizontalAdvance(title),
              player->Frame->width() - player::TMidiForm::kFrameTitleInsets);
    EXPECT_EQ(player->FrameCaption(player::kPlayerCaption), player::kPlayerCaption);
}

// The WCAG contrast ratio of two colours (1 .. 21); 4.5 is the least for body text.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour that covers most of `image`: the background a text stands on.
QColor MostCommon(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    return QColor(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                      return a.second < b.second;
                  })->first);
}

TEST_F(PageFit, TheOpenDrumListIsAquaOnNavyAndTheCreditReadsOverTheKeys) {
    pages.QuintoraForm->DRUMTABClick();
    pages.DrumTab->ChngDrmClick();
    QComboBox* list = pages.ChangeDrum->DrumChange;
    list->showPopup();
    QApplication::processEvents();
    QWidget* open = list->view()->viewport();
    ASSERT_TRUE(open->isVisible());
    EXPECT_EQ(MostCommon(open->grab().toImage()), QColor(0, 0, 128)) << "navy under the open list";
    list->hidePopup();

    app::TAboutBox about(context, pages.QuintoraForm);
    about.show();
    QApplication::processEvents();
    const QImage box = about.grab().toImage();
    const QRect credit(about.CREDIT->mapTo(&about, QPoint(0, 0)), about.CREDIT->size());
    const QColor behind = MostCommon(box.copy(credit));
    const QColor text = about.CREDIT->palette().color(QPalette::WindowText);
    EXPECT_EQ(text, QColor(Qt::red));
    EXPECT_GE(Contrast(text, behind), 4.5) << "behind the credit: " << behind.name().toStdString();
}

TEST_F(PageFit, ADisabledImportButtonLooksDisabled) {
    pages.QuintoraForm->DRUMTABClick();
    pages.DrumTab->MidiExtract->click();
    midiimport::TConverting* page = pages.Converting;
    ASSERT_TRUE(page);
    ASSERT_FALSE(page->TryMidiImport->isEnabled()) << "TRY waits for a conversion";
    ASSERT_TRUE(page->ABORTIMPORT->isEnabled());
    const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText);
    for (QWidget* w : std::initializer_list<QWidget*>{page->TryMidiImport, page->ABORTIMPORT, page->WhichBar,
                                                      page->ExtractDrums, page->DontKillBtn}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(w->palette().color(QPalette::Disabled, QPalette::ButtonText), disabled);
        EXPECT_EQ(w->palette().color(QPalette::Disabled, QPalette::Text),
                  QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    }
    EXPECT_EQ(page->ABORTIMPORT->palette().color(QPalette::Active, QPalette::ButtonText), QColor(Qt::red))
        << "an enabled one keeps its red caption";
    // What the user sees: the disabled TRY's caption carries no red.
    const QImage shot = page->TryMidiImport->grab().toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 100 && c.blue() < 100;
        }
    EXPECT_EQ(red, 0);
}

}  // namespace
