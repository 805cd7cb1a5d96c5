// The played-note display on screen: keys from the keyboard reach it through the input queue,
// drum channels leave it alone, a new input device clears it, and a note key's click repaints it.

#include <gtest/gtest.h>

#include "app/pages/accompany_form.h"
#include "platform/services.h"
#include "tests/app/support/pages_rig.h"

namespace {

const QColor kRed(255, 0, 0), kYellow(255, 255, 0), kNavy(0, 0, 128), kPurple(128, 0, 128);

class NoteStrip : public testsupport::PagesRig {
  protected:
    NoteStrip() {
        createPages();
        strip = pages.AccompanyForm;
        devices.StartMidiIn();  // as start-up does after the pages
    }
    void play(std::uint32_t status, std::uint32_t key, std::uint32_t velocity) {
        platform.inputBackend->inject(0, status | key << 8 | velocity << 16);
        platform::services().queue().dispatch();
    }
    QColor colour(QPushButton* b) { return app::TAccompanyForm::fontColour(b); }
    // The note keys C..B: 'Y' yellow, '.' red.
    std::string lit() {
        std::string out;
        for (QPushButton* b : strip->Note) out += colour(b) == kYellow ? 'Y' : colour(b) == kRed ? '.' : '?';
        return out;
    }
    std::string text(QPushButton* b) { return b->text().toStdString(); }
    app::TAccompanyForm* strip = nullptr;
};

TEST_F(NoteStrip, TheStripAsDrawn) {
    EXPECT_EQ(strip->windowTitle(), "Accompaniment");
    EXPECT_TRUE(strip->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(strip->geometry(), QRect(-6, 440, 804, 138));
    struct Case {
        QPushButton* button;
        const char* caption;
        const char* hint;
        QRect place;
    };
    const Case cases[] = {
        {strip->BitBtn1, "Velocity", "", {15, 16, 95, 55}}, {strip->Note[1], "C#", "Db", {112, 16, 95, 55}},
        {strip->Note[3], "D#", "Eb", {209, 16, 95, 55}},    {strip->ORVX, "ORVX", "", {306, 16, 95, 55}},
        {strip->Note[6], "F#", "Gb", {404, 16, 95, 55}},    {strip->Note[8], "G#", "Ab", {501, 16, 95, 55}},
        {strip->Note[10], "A#", "Bb", {598, 16, 95, 55}},   {strip->Velocity, "0%", "", {695, 16, 95, 55}},
        {strip->InChannel, "Chan", "", {15, 72, 35, 25}},   {strip->ChannelNumber, "", "", {15, 97, 35, 32}},
        {strip->Note[0], "C", "", {55, 72, 95, 57}},        {strip->Note[2], "D", "", {155, 72, 95, 57}},
        {strip->Note[4], "E", "", {255, 72, 95, 57}},       {strip->Note[5], "F", "", {355, 72, 95, 57}},
        {strip->Note[7], "G", "", {455, 72, 95, 57}},       {strip->Note[9], "A", "", {555, 72, 95, 57}},
        {strip->Note[11], "B", "", {655, 72, 95, 57}},      {strip->BitBtn2, "Note", "", {755, 72, 35, 25}},
        {strip->DisplayNote, "", "", {755, 97, 35, 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        EXPECT_EQ(text(c.button), c.caption);
        EXPECT_EQ(c.button->toolTip().toStdString(), c.hint);
        EXPECT_EQ(c.button->geometry(), c.place);
        EXPECT_TRUE(c.button->font().bold());
    }
    EXPECT_EQ(lit(), "............");
    EXPECT_EQ(colour(strip->ORVX), kNavy);
}

TEST_F(NoteStrip, KeysFromTheKeyboardShowAndDrumChannelsDoNot) {
    play(0x90, 61, 100);
    EXPECT_EQ(lit(), ".Y..........");
    EXPECT_EQ(text(strip->ChannelNumber), "1");
    EXPECT_EQ(text(strip->Velocity), "78%");
    EXPECT_EQ(text(strip->DisplayNote), "61");
    EXPECT_EQ(colour(strip->ORVX), kNavy) << "the first key shows the first colour";

    play(0x99, 36, 127);  // MIDI channel 10
    play(0x9A, 40, 127);  // and 11
    EXPECT_EQ(lit(), ".Y..........");
    EXPECT_EQ(text(strip->DisplayNote), "61");
    EXPECT_EQ(text(strip->Velocity), "78%");

    play(0x97, 64, 64);  // half strength on channel 8 is a press
    EXPECT_EQ(lit(), ".Y..Y.......");
    EXPECT_EQ(text(strip->ChannelNumber), "8");
    EXPECT_EQ(text(strip->Velocity), "50%");

    play(0x80, 61, 64);  // released with a note-off
    EXPECT_EQ(lit(), "....Y.......");
    EXPECT_EQ(text(strip->Velocity), "0%");
    EXPECT_EQ(text(strip->DisplayNote), "61");
    EXPECT_NE(colour(strip->ORVX), kNavy);
}

TEST_F(NoteStrip, ANewInputDeviceClearsTheStrip) {
    platform.inputBackend->setPorts({"Keys 0", "Keys 1"});
    pages.QuintoraForm->MidiInBtnClick();
    ASSERT_TRUE(strip->isVisible());
    play(0x94, 60, 127);
    play(0x94, 66, 127);
    ASSERT_EQ(lit(), "Y.....Y.....");
    ASSERT_EQ(text(strip->ChannelNumber), "5");
    ASSERT_EQ(colour(strip->ORVX), kPurple);

    pages.QuintoraForm->MidiInBox->setCurrentIndex(1);
    emit pages.QuintoraForm->MidiInBox->activated(1);  // the user's choice
    EXPECT_EQ(lit(), "............");
    EXPECT_EQ(text(strip->ChannelNumber), "1");
    EXPECT_EQ(text(strip->Velocity), "0%");
    EXPECT_EQ(colour(strip->ORVX), QColor(255, 0, 255)) << "twelve colours on: fuchsia";
    EXPECT_TRUE(strip->isVisible());
}

TEST_F(NoteStrip, ANoteKeysClickRepaintsItFromTheVelocityPlayedLast) {
    play(0x90, 64, 100);
    strip->Note[2]->click();
    EXPECT_EQ(lit(), "..Y.Y.......");
    play(0x90, 64, 0);
    strip->Note[9]->click();
    EXPECT_EQ(lit(), "..Y.........") << "only the clicked key repaints";
    strip->Note[2]->click();
    EXPECT_EQ(lit(), "............");
}

}  // namespace
