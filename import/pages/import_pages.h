#pragma once
// The two import pages as they reach each other: the import page and its instrument chooser,
// made as a pair for each import. A pointer is null before its page is made and after it is
// released. The program's page set holds these with the rest of its pages.

#include <QPointer>

namespace midiimport {

class TConverting;
class TInstListForm;

struct ImportPagePair {
    QPointer<TConverting> Converting;
    QPointer<TInstListForm> InstListForm;
};

}  // namespace midiimport
