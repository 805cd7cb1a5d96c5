#pragma once
// The drum pages as they reach each other: the drum tab, the drum grid and the DRUM LIST dialog.
// A pointer is null before its page is made and after it is released. The program's page set
// holds these with the rest of its pages.

#include <QPointer>

namespace drums {

class TDrumTab;
class TDrumsGrid;
class TChangeDrum;

struct DrumPages {
    QPointer<TDrumsGrid> DrumsGrid;
    QPointer<TDrumTab> DrumTab;
    QPointer<TChangeDrum> ChangeDrum;  // made by the drum tab's DRUM LIST, owned by it
};

}  // namespace drums
