#pragma once
// What the played-note display shows: one octave of note keys, each lit while a key of its pitch
// class is down, the channel, velocity and number of the key last played, and a logo whose colour
// moves on with every key. It only displays: it sends nothing and changes no other state.
// User-interface thread.

#include <array>
#include <cstdint>
#include <string>

namespace live {

// Colours as colour words, 0x00BBGGRR.
using ColourWord = std::uint32_t;
inline constexpr ColourWord kNoteReleased = 0x0000FF;  // red
inline constexpr ColourWord kNotePressed = 0x00FFFF;   // yellow
// The logo's colours in turn: navy, purple, teal, lime, blue, fuchsia, aqua, white.
inline constexpr std::array<ColourWord, 8> kLogoColours = {0x800000, 0x800080, 0x808000, 0x00FF00,
                                                           0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

class NoteDisplay {
  public:
    NoteDisplay() { notes_.fill(kNoteReleased); }

    // A key message from the keyboard: the key number is shown as it is, then the key is shown by
    // its pitch class. Velocity 0..127 (0: released), channel 0..15.
    void ShowKey(int key, int pitchClass, int velocity, int channel);
    // Shows a velocity and channel and moves the logo on; a pitch class 0..11 repaints that note
    // key, any other value none.
    void ShowPlayedNote(unsigned pitchClass, int velocity, int channel);
    // Every note key released, channel 1, velocity 0%; the key number stays.
    void ClearPlayedNotes();
    // Repaints note key `pitchClass` (0..11) from the velocity played last: lit for any velocity
    // above 0. A click on a note key does this.
    void NoteClick(unsigned pitchClass);

    ColourWord noteColour(unsigned pitchClass) const { return notes_.at(pitchClass); }
    const std::string& channelText() const { return channel_; }
    const std::string& velocityText() const { return velocity_; }
    const std::string& keyText() const { return key_; }
    ColourWord logoColour() const { return logo_; }

  private:
    void CycleLogoColour();

    std::int32_t playedVelocity_ = 0;
    std::int32_t logoIndex_ = 0;  // 1..8 once a key has come
    std::array<ColourWord, 12> notes_{};
    std::string channel_;
    std::string velocity_ = "0%";
    std::string key_;
    ColourWord logo_ = kLogoColours[0];
};

}  // namespace live
