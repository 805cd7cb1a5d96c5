#pragma once
// The instrument chooser ("Choose an Instrument."): one drop-down list per accompaniment part,
// each holding a line per track of the split file; OK hands the chosen lines to the import.

#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "import/pages/import_pages.h"

namespace midiimport {

class TInstListForm final : public QWidget {
  public:
    explicit TInstListForm(ImportPagePair& pages);

    // Every list takes `items`, with nothing chosen.
    void SetItems(const std::vector<std::string>& items);
    // The selected line of each list (piano, strings, brass, bass), empty where none.
    std::array<std::string, 4> ChosenLines() const;
    void ChooseButtonClick();

    QComboBox* PianoList;
    QComboBox* StringsList;
    QComboBox* BrassList;
    QComboBox* BassList;
    QPushButton* ChooseButton;

  private:
    ImportPagePair& pages_;
};

}  // namespace midiimport
