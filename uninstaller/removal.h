#pragma once
// The removal that runs when the user presses OK: the items of the script in order (files, with a
// question before system files; unregistering; menu items), the menu group, the directory tree, and
// the final clean-up (the uninstall entry, deletion at the next start of the program and its script).
//
// Every value from the script passes the root guard or the name checks first, and every file is
// reached through the root opened at start (install_root.h): without following links and never
// onto another mount. What is refused or left in place (a folder on another mount, a folder that
// cannot be entered, a single file that cannot be deleted, an installer log that cannot be read,
// the program and its script when they cannot be scheduled for deletion) is collected with its
// reason and shown once, in one summary, when the run ends; the run goes on past it. Names in the
// summary, and the application's title wherever it is a caption, are shown with printable().
//
// The directory tree goes only when it holds this installation's own files: the uninstall script
// beside the program, or an installer log kwp.ini with a section for the application; and no
// installer log in it may have a live section for another program, or be unreadable
// (tree_ownership.h). Both are
// asked as the tree stood when the run started. A folder that other programs share is refused
// whatever it holds (path_guard.h).
//
// User-interface thread only. A cancel request may arrive while the observer runs (it lets the
// dialog serve its Cancel button) or while a question is open.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/folder.h"
#include "uninstaller/install_layout.h"
#include "uninstaller/install_root.h"
#include "uninstaller/item_plan.h"
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

// The most refusals the summary message lists itself; all of them are in its details.
constexpr std::size_t kRefusalsShown = 20;

class Uninstaller {
  public:
    // root is the installation root opened at start; it and menu must outlive the uninstaller.
    Uninstaller(const UninstallScript& script, const ProgramNames& names, const InstallRoot& root,
                Prompter& prompter, MenuLayer& menu);

    // Everything OK starts, on the directory the script names (its bytes as written, which is what
    // the dialog shows).
    void run(const Choices& choices, RemovalObserver& observer);

    // The Cancel button: honoured after the current item while running.
    void requestCancel() { cancelRequested_ = true; }
    bool running() const { return running_; }
    bool cancelRequested() const { return cancelRequested_; }
    // What the last run refused or left, one reason each, in the order met.
    const std::vector<std::string>& refusals() const { return refusals_; }

  private:
    void processItem(std::string_view section);
    void deleteFile(const Verdict& target, bool unregister, const std::string& spelledPath);
    void removeDirectoryTree();
    void updateLog();
    void finalCleanUp();
    // Whether the directory exists, as the dialog's E3 message asks.
    bool directoryExists() const;
    // Why the directory is not this installation's own tree (see above); empty when it is.
    std::string treeOwnershipRefusal() const;
    // The folder holding target, reached from the root; a link or a mount point on the way is
    // refused, a folder that cannot be entered is listed as left.
    std::optional<Folder> folderOf(const Verdict& target);
    // Why a walk from the root down (some of) parts stopped, as the end of a summary line; empty when
    // nothing stands in the way (the walk got there, or a part is missing or no folder).
    std::string stopReason(const Reached& reached, const std::vector<std::string>& parts) const;
    std::optional<Folder> storeFolder(bool create) const;
    void refuse(std::string refusal);
    // Shows the collected refusals in one message and ends the run.
    void finish();

    const UninstallScript& script_;
    ProgramNames names_;
    const InstallRoot& root_;
    const InstallLayout& layout_;
    RootGuard guard_;
    Prompter& prompter_;
    MenuLayer& menu_;
    std::string caption_;  // the application's title, as message boxes show it
    std::vector<std::string> storeParts_;
    std::vector<std::string> windowsParts_;
    Choices choices_;
    std::string directory_;
    std::string treeRefusal_;
    std::vector<std::string> refusals_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

}  // namespace kwu
