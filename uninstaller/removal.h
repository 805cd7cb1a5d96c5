#pragma once
// The removal that runs when the user presses OK: the items of the script in order (files, with a
// question before system files; unregistering; menu items), the menu group, the directory tree, and
// the final clean-up (the uninstall entry, deletion at the next start of the program and its script).
// Every value from the script passes the root guard or the name checks first; a refused value is
// reported and skipped, and the run goes on. Other single failures are silent, as the user can do
// nothing about them mid-run.
//
// User-interface thread only. A cancel request may arrive while the observer runs (it lets the
// dialog serve its Cancel button) or while a question is open.

#include <string>
#include <string_view>

#include "uninstaller/install_layout.h"
#include "uninstaller/menu_layer.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/prompter.h"
#include "uninstaller/uninstall_script.h"

namespace kwu {

// The dialog's three check boxes.
struct Choices {
    bool removeTree = true;      // M4
    bool removeGroup = true;     // D5
    bool askSystemFiles = true;  // M2
};

// Told before each item is processed, with the progress line and the item's section name.
class RemovalObserver {
  public:
    virtual ~RemovalObserver() = default;
    virtual void itemStarting(const std::string& progressLine, const std::string& section) = 0;
};

class Uninstaller {
  public:
    Uninstaller(const UninstallScript& script, const ProgramNames& names, const InstallLayout& layout,
                Prompter& prompter, MenuLayer& menu);

    // Everything OK starts; directory is the one the dialog shows.
    void run(const Choices& choices, const std::string& directory, RemovalObserver& observer);

    // The Cancel button: honoured after the current item while running.
    void requestCancel() { cancelRequested_ = true; }
    bool running() const { return running_; }
    bool cancelRequested() const { return cancelRequested_; }

    // The single steps, in the order run uses them.
    void processItem(std::string_view section);
    void removeDirectoryTree();
    void updateLog();
    void finalCleanUp();

  private:
    void removeSystemFile(const std::string& nameShown, std::string_view name,
                          const std::filesystem::path& folder, bool unregister);
    void unregisterFile(const std::filesystem::path& path);
    void report(const std::string& refusal);

    const UninstallScript& script_;
    ProgramNames names_;
    InstallLayout layout_;
    RootGuard guard_;
    Prompter& prompter_;
    MenuLayer& menu_;
    Choices choices_;
    std::string directory_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

}  // namespace kwu
