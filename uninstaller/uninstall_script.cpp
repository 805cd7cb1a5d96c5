#include "uninstaller/uninstall_script.h"

namespace kwu {

UninstallScript::UninstallScript(IniFile ini, std::string baseName)
    : ini_(std::move(ini)), baseName_(std::move(baseName)) {
    const auto read = [this](const char* key, std::string& field) {
        field = ini_.getString(baseName_, key, field, kMaxValueChars);
    };
    read("P1", texts_.title);
    read("P2", texts_.directory);
    read("P3", texts_.group);
    read("D13", texts_.titleWord);
    read("I4", texts_.directoryIntro);
    read("I7", texts_.groupIntro);
    read("D7", texts_.directoryLabel);
    read("D14", texts_.groupLabel);
    read("M4", texts_.removeTreeBox);
    read("D5", texts_.removeGroupBox);
    read("M2", texts_.askSystemBox);
    read("D19", texts_.countLabel);
    read("D1", texts_.statusLine);
    read("D8", texts_.okButton);
    read("D15", texts_.cancelButton);
    read("D11", texts_.totalWord);
    read("D17", texts_.currentWord);
    read("D18", texts_.remainingWord);
    read("M3", texts_.systemFileQuestion);
    read("M6", texts_.cancelQuestion);
    read("E3", texts_.nothingToUninstall);
    read("E1", texts_.menuUnreachable);
    read("E9", texts_.menuUnreachableTail);
    for (auto& name : ini_.sectionNames())
        if (!equalsNoCase(name, baseName_)) items_.push_back(std::move(name));
}

ItemEntry UninstallScript::item(std::string_view section) const {
    ItemEntry entry;
    entry.name = std::string(section);
    const IniFile::Section keys = ini_.section(section);
    entry.location = ini_.getString(keys, "L", "", kMaxValueChars);
    entry.unregister = ini_.getInt(keys, "0", 0) != 0;
    entry.menuItem = ini_.getString(keys, "T", "", kMaxValueChars);
    return entry;
}

std::string UninstallScript::dialogTitle() const {
    return texts_.title + " " + texts_.titleWord;
}

std::string UninstallScript::countLine() const {
    return texts_.countLabel + ": " + std::to_string(items_.size());
}

std::string UninstallScript::progressLine(int current) const {
    const int total = static_cast<int>(items_.size());
    return texts_.totalWord + ": " + std::to_string(total) + " " + texts_.currentWord + ": " +
           std::to_string(current) + " " + texts_.remainingWord + ": " + std::to_string(total - current);
}

std::string UninstallScript::menuUnreachableMessage() const {
    return texts_.menuUnreachable + " " + texts_.menuUnreachableTail;
}

bool isInstallerLogSection(std::string_view section) {
    return equalsNoCase(section, kInstallerLogName);
}

}  // namespace kwu
