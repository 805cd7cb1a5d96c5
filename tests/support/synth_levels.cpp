#include "tests/support/synth_levels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "midifile/MidiWrite.h"
#include "platform/short_message.h"

namespace testsupport {

namespace {

void Measure(const std::vector<float>& left, const std::vector<float>& right, std::size_t frames,
             AudioLevels& levels) {
    for (std::size_t i = 0; i < frames; ++i)
        for (float x : {left[i], right[i]}) {
            const float a = std::fabs(x);
            levels.peak = std::max(levels.peak, a);
            if (a >= 1.0f) ++levels.clipped;
        }
    levels.samples += 2 * frames;
}

}  // namespace

AudioLevels RenderSongLevels(BuiltinSynth& synth, const player::Song& song, double seconds) {
    const double rate = synth.sampleRate();
    const auto total = static_cast<std::size_t>(seconds * rate);
    constexpr std::size_t kBlock = 64;  // the synth's own block: events land within 1.5 ms
    std::vector<float> left(kBlock), right(kBlock);
    AudioLevels levels;
    std::size_t done = 0, next = 0;
    while (done < total) {
        const double now = static_cast<double>(done) / rate * 1e6;
        for (; next < song.events.size() && static_cast<double>(song.events[next].timeUs) <= now; ++next) {
            const player::SongEvent& e = song.events[next];
            if (e.shortMessage != 0) {
                // As the output sends it: the message's own length, system messages included.
                if (const auto m = platform::decodeShortMessage(e.shortMessage))
                    synth.send(m->bytes, m->length);
            } else {
                synth.send(song.exclusiveData.data() + e.exclusiveOffset, e.exclusiveLength);
            }
        }
        const std::size_t frames = std::min(kBlock, total - done);
        synth.render(left.data(), right.data(), static_cast<int>(frames));
        Measure(left, right, frames, levels);
        done += frames;
    }
    return levels;
}

bool WriteDenseGmSong(const std::string& path, int seconds) {
    constexpr int kDivision = 480;
    const int beats = seconds * 2;  // 120 beats a minute
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(1, 17, kDivision);
    w.StartTrack();
    w.WriteTempo(500000);
    w.WriteGmSystemOn();
    // Piano, organ, guitar, bass, strings, ensemble, choir, brass, sax, flute, lead, pad, ...
    static constexpr int kPrograms[15] = {0, 16, 25, 33, 48, 49, 52, 61, 65, 73, 80, 88, 4, 11, 56};
    for (int t = 0; t < 15; ++t) {
        const int channel = t < 9 ? t : t + 1;  // channel 10 is the drums'
        const int low = t == 3 ? 28 : 48 + (t % 4) * 5;
        w.StartTrack();
        w.WriteProgramChange(channel, kPrograms[t]);
        w.WriteControlChange(channel, 7, 100);
        w.WriteControlChange(channel, 11, 127);
        w.WriteControlChange(channel, 91, 64);
        w.WriteControlChange(channel, 93, 40);
        for (int beat = 0; beat < beats; ++beat) {
            // A triad on every beat, its root walking through the bar; the first beat accented.
            const int root = low + (beat % 4) * 2 + (beat / 4 % 2) * 5;
            const int velocity = beat % 4 == 0 ? 120 : 100;
            const int keys[3] = {root, root + 4, root + 7};
            for (int k : keys) w.WriteNoteOn(channel, k, velocity);
            w.AddDelta(kDivision * 7 / 8);
            for (int k : keys) w.WriteNoteOff(channel, k, 0);
            w.AddDelta(kDivision / 8);
        }
    }
    w.StartTrack();
    w.WriteControlChange(9, 7, 100);
    w.WriteControlChange(9, 91, 40);
    for (int eighth = 0; eighth < beats * 2; ++eighth) {
        std::vector<int> hits = {42};
        if (eighth % 4 == 0) hits.push_back(36);
        if (eighth % 4 == 2) hits.push_back(38);
        if (eighth % 16 == 0) hits.push_back(49);
        for (int k : hits) w.WriteNoteOn(9, k, k == 42 ? 90 : 120);
        w.AddDelta(kDivision / 2);
        for (int k : hits) w.WriteNoteOff(9, k, 0);
    }
    return w.Close();
}

bool WriteSingleDrum(const std::string& path, int key, int velocity) {
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(0, 1, 480);
    w.StartTrack();
    w.WriteTempo(500000);
    w.WriteNoteOn(9, key, velocity);
    w.AddDelta(240);
    w.WriteNoteOff(9, key, 0);
    w.AddDelta(480 * 4);
    w.WriteControlChange(9, 7, 100);  // the end of the silence after it
    return w.Close();
}

}  // namespace testsupport
