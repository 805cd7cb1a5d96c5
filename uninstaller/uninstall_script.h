#pragma once
// The uninstall script: an INI file named after the uninstaller, beside it. Its main section (named
// after the uninstaller's base name, any case) holds the texts of the dialog and the application's
// title, directory and menu group; every other section is one item to remove.

#include <filesystem>
#include <string>
#include <vector>

#include "uninstaller/ini_file.h"

namespace kwu {

// Every text value is read into a buffer of 260 characters, so at most 259 are kept.
constexpr std::size_t kMaxValueChars = 259;

// The section name that orders the installer's log to be updated instead of naming a file.
constexpr std::string_view kInstallerLogName = "kwp.ini";

// The main section's values with their defaults (the texts are shown exactly as written).
struct MainTexts {
    std::string title;                    // P1: first line, dialog title, message caption, section in kwp.ini
    std::string directory;                // P2: the application directory
    std::string group;                    // P3: the menu group
    std::string titleWord = "Uninstall";  // D13
    std::string directoryIntro = "Will be removed from the directory below";                             // I4
    std::string groupIntro = "The Task Bar Group shown below will be modified to reflect this removal";  // I7
    std::string directoryLabel = "Applicatio Directory";                                                 // D7
    std::string groupLabel = "Application Task Bar Group";                // D14
    std::string removeTreeBox = "Delete The Above Directory Structure?";  // M4
    std::string removeGroupBox = "Delete The Above Task Bar Folder";      // D5
    std::string askSystemBox = "Ask Before Deleting Each System File";    // M2
    std::string countLabel = "Scheduled Files";                           // D19
    std::string statusLine = "Choose OK to Start or Cancel To Quit";      // D1
    std::string okButton = "&OK";                                         // D8
    std::string cancelButton = "&Cancel";                                 // D15
    std::string totalWord = "Total";                                      // D11
    std::string currentWord = "Current";                                  // D17
    std::string remainingWord = "Remaining";                              // D18
    std::string systemFileQuestion =
        "Is a System File and may be required by other applications. Delete it anyway?";  // M3
    std::string cancelQuestion = "Do You Really Want To Cancel?";                         // M6
    std::string nothingToUninstall = "Nothing To Uninstall";                              // E3
    std::string menuUnreachable = "Cannot Connect With Task Bar For ";                    // E1
    std::string menuUnreachableTail = "DDE";                                              // E9
};

// One item section as written; nothing is validated here (the removal checks every value).
struct ItemEntry {
    std::string name;         // the section name: the file's name without directory
    std::string location;     // L: a directory, "S" (system), "W" (Windows), or empty for no file
    bool unregister = false;  // 0: non-zero asks for the component to be unregistered first
    std::string menuItem;     // T: the item's name in the menu group, empty for none
};

class UninstallScript {
  public:
    // baseName names the main section. Any text parses.
    UninstallScript(IniFile ini, std::string baseName);

    const MainTexts& texts() const { return texts_; }
    // The item sections in file order (every section but the main one).
    const std::vector<std::string>& itemSections() const { return items_; }
    ItemEntry item(std::string_view section) const;
    const std::string& baseName() const { return baseName_; }

    // "P1 D13": the dialog title.
    std::string dialogTitle() const;
    // "D19: n": the item count line.
    std::string countLine() const;
    // "D11: n D17: i D18: n-i": the progress line while item i of n is processed.
    std::string progressLine(int current) const;
    // "E1 E9": the message when the menu layer cannot be reached.
    std::string menuUnreachableMessage() const;

  private:
    IniFile ini_;
    std::string baseName_;
    MainTexts texts_;
    std::vector<std::string> items_;
};

// True when a section name orders the installer log update rather than naming a file.
bool isInstallerLogSection(std::string_view section);

}  // namespace kwu
