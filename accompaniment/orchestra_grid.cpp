#include "accompaniment/orchestra_grid.h"

namespace accompaniment {

namespace {

constexpr std::array<NoteNameEntry, 129> makeNoteNames() {
    constexpr char kClass[12][2] = {{'C', ' '}, {'C', '#'}, {'D', ' '}, {'D', '#'}, {'E', ' '}, {'F', ' '},
                                    {'F', '#'}, {'G', ' '}, {'G', '#'}, {'A', ' '}, {'A', '#'}, {'B', ' '}};
    std::array<NoteNameEntry, 129> t{};
    t[12] = {' ', ' ', ' ', '\0'};
    for (int n = 13; n <= 128; ++n) {
        const auto& c = kClass[n % 12];
        t[static_cast<std::size_t>(n)] = {static_cast<char>('0' + (n - 9) / 12), c[0], c[1], '\0'};
    }
    return t;
}

int pitchClass(std::int32_t note) {
    return static_cast<int>(((note % 12) + 12) % 12);
}

}  // namespace

const std::array<NoteNameEntry, 129> NoteNames = makeNoteNames();

std::optional<GridCell> CellOfCode(std::int32_t code) {
    // Columns 1..9 give two- and three-digit codes 10r + c, columns 10..32 three-digit ones
    // 100r + c; the two never meet, so each code names at most one cell.
    if (code >= 11 && code <= 89) {
        const int row = code / 10, column = code % 10;
        if (row <= kGridRows && column >= 1) return GridCell{row, column};
    }
    if (code >= 110 && code <= 832) {
        const int row = code / 100, column = code % 100;
        if (row >= 1 && row <= kGridRows && column >= 10 && column <= kGridColumns)
            return GridCell{row, column};
    }
    return std::nullopt;
}

std::string CellCaption(std::int32_t note) {
    return std::to_string(note);
}

std::string CellHint(std::int32_t note) {
    if (note < 0 || note >= static_cast<std::int32_t>(NoteNames.size())) return {};
    return std::string(NoteNames[static_cast<std::size_t>(note)].data());
}

Ink CellInk(std::int32_t note) {
    const int c = pitchClass(note);
    return c == 0 || c == 4 || c == 7 ? Ink::Navy : Ink::Red;
}

void UpdatePenNote(PenState& pen) {
    pen.PenNote = pen.NullMode ? 0 : pen.PenKey + 12 * pen.PenOctave + 8;
}

int UpdateGridCell(PartData& d, std::int32_t code, std::int32_t penNote, int volumeBar, int durationBar,
                   bool loadingArrangement) {
    int index = kNoCell;
    if (const auto cell = CellOfCode(code)) {
        index = GridIndex(cell->row, cell->column);
        const auto i = static_cast<std::size_t>(index);
        d.GridVelocities[i] = volumeBar;
        d.GridNotes[i] = penNote;
        d.GridDurations[i] = DurationFromBar(durationBar);
    }
    CommitGridToPart(d, loadingArrangement);
    return index;
}

}  // namespace accompaniment
