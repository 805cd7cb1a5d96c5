#include "uninstaller/removal.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/installer_log.h"
#include "uninstaller/printable.h"
#include "uninstaller/service_stores.h"
#include "uninstaller/tree_ownership.h"
#include "uninstaller/wininit.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

std::vector<std::string> partsBelow(const fs::path& path, const fs::path& root) {
    std::vector<std::string> parts;
    for (const auto& part : path.lexically_relative(root)) parts.push_back(part.native());
    return parts;
}

// Only for a directory the guard refuses, which is never reached, only named in the summary.
bool existsAsFolder(const std::string& directory) {
    if (directory.empty() || directory.find('\0') != std::string::npos) return false;
    struct stat st {};
    return ::stat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The path of the first parts up to and including the one at index, below root.
fs::path pathTo(const fs::path& root, const std::vector<std::string>& parts, std::size_t index) {
    fs::path at = root;
    for (std::size_t i = 0; i <= index && i < parts.size(); ++i) at /= parts[i];
    return at;
}

std::vector<std::string> allButLast(const std::vector<std::string>& parts) {
    return {parts.begin(), parts.end() - (parts.empty() ? 0 : 1)};
}

std::string errorText(int error) {
    return error != 0 ? " (" + std::string(std::strerror(error)) + ")" : std::string();
}

}  // namespace

Uninstaller::Uninstaller(const UninstallScript& script, const ProgramNames& names, const InstallRoot& root,
                         Prompter& prompter, MenuLayer& menu)
    : script_(script),
      names_(names),
      root_(root),
      layout_(root.layout()),
      guard_(root.layout()),
      prompter_(prompter),
      menu_(menu),
      caption_(printable(script.texts().title)),
      storeParts_(partsBelow(layout_.storeDir, layout_.root)),
      windowsParts_(partsBelow(layout_.windowsDir, layout_.root)) {}

void Uninstaller::refuse(std::string refusal) {
    refusals_.push_back(std::move(refusal));
}

void Uninstaller::finish() {
    if (!refusals_.empty()) {
        std::string text = refusals_.size() == 1
                               ? "This was left in place:\n"
                               : std::to_string(refusals_.size()) + " entries were left in place:\n";
        std::string details;
        for (std::size_t i = 0; i < refusals_.size(); ++i) {
            if (i < kRefusalsShown) text += "\n" + refusals_[i];
            details += refusals_[i] + "\n";
        }
        if (refusals_.size() > kRefusalsShown)
            text += "\n\n... and " + std::to_string(refusals_.size() - kRefusalsShown) +
                    " more (see the details).";
        Message summary{text, caption_, true, false, true};
        if (refusals_.size() > kRefusalsShown) summary.details = std::move(details);
        prompter_.tell(summary);
    }
    running_ = false;
}

void Uninstaller::run(const Choices& choices, RemovalObserver& observer) {
    const MainTexts& texts = script_.texts();
    running_ = true;
    choices_ = choices;
    directory_ = texts.directory;
    refusals_.clear();

    if (!root_.usable()) {
        refuse(root_.refusal());
        finish();
        return;
    }

    if (!directoryExists()) {
        prompter_.tell(Message{texts.nothingToUninstall, caption_, true, false, true});
        finalCleanUp();
        finish();
        return;
    }
    if (!menu_.connect()) {
        prompter_.tell(Message{script_.menuUnreachableMessage(), caption_, true, false, true});
        finish();
        return;
    }
    // Asked before the items run: the log item may change or delete the log.
    treeRefusal_ = choices_.removeTree ? treeOwnershipRefusal() : std::string();

    // An empty group names nothing; a group name that could carry commands is never sent.
    bool groupUsable = !texts.group.empty();
    if (groupUsable) {
        if (auto refusal = menuNameRefusal(texts.group); !refusal.empty()) {
            refuse(std::move(refusal));
            groupUsable = false;
        }
    }
    if (groupUsable) {
        menu_.showGroup(texts.group);
        menu_.showGroup(texts.group);
    }

    const auto& items = script_.itemSections();
    for (std::size_t i = 0; i < items.size(); ++i) {
        observer.itemStarting(script_.progressLine(static_cast<int>(i + 1)), items[i]);
        processItem(items[i]);
        if (cancelRequested_) {
            if (prompter_.ask(Message{texts.cancelQuestion, caption_, false, false, false})) break;
            cancelRequested_ = false;
        }
    }

    if (choices_.removeGroup && groupUsable) menu_.deleteGroup(texts.group);
    for (auto& left : menu_.leftInPlace()) refuse(std::move(left));
    menu_.disconnect();

    // A cancelled run leaves the tree and the script, so the uninstaller can run again.
    if (!cancelRequested_) {
        if (choices_.removeTree) removeDirectoryTree();
        finalCleanUp();
    }
    finish();
}

void Uninstaller::processItem(std::string_view section) {
    ItemPlan plan = planItem(script_, guard_, layout_, section);
    for (auto& refusal : plan.refusals) refuse(std::move(refusal));
    if (plan.updatesLog) {
        updateLog();
        return;
    }
    if (plan.file == ItemPlan::File::System && choices_.askSystemFiles) {
        const Message question{script_.texts().systemFileQuestion, printable(plan.target.path), true, true,
                               true};
        if (!prompter_.ask(question)) plan.file = ItemPlan::File::None;
    }
    if (plan.file != ItemPlan::File::None) deleteFile(plan.target, plan.unregister, plan.spelledPath);
    if (!plan.menuItem.empty()) menu_.deleteItem(plan.menuItem);
}

std::string Uninstaller::stopReason(const Reached& reached, const std::vector<std::string>& parts) const {
    const bool itself = reached.stoppedAt + 1 == parts.size();
    const std::string at = inQuotes(pathTo(guard_.root(), parts, reached.stoppedAt).native());
    switch (reached.reach) {
        case Reach::Link:
            return itself ? "it is a symbolic link." : "it leads through the symbolic link " + at + ".";
        case Reach::OtherMount:
            return itself ? "it is a mount point: it lies on another device or mount, which the uninstaller "
                            "never enters."
                          : "it leads onto another device or mount at " + at +
                                ", which the uninstaller never enters.";
        case Reach::Failed:
            return (itself ? "it" : "the folder " + at) + " cannot be opened" + errorText(reached.error) +
                   ".";
        default:
            return {};
    }
}

std::optional<Folder> Uninstaller::folderOf(const Verdict& target) {
    if (target.parts.empty()) return std::nullopt;
    Reached folder = root_.reach(allButLast(target.parts));
    const std::string reason = stopReason(folder, target.parts);
    // A link or a mount on the way is refused; a folder that cannot be entered leaves what lies in it.
    if (!reason.empty())
        refuse((folder.reach == Reach::Failed ? "Left " : "Refused ") + inQuotes(target.path) + ": " +
               reason);
    return std::move(folder.folder);
}

std::optional<Folder> Uninstaller::storeFolder(bool create) const {
    Reached store = create ? root_.reachCreating(storeParts_) : root_.reach(storeParts_);
    return std::move(store.folder);
}

void Uninstaller::deleteFile(const Verdict& target, bool unregister, const std::string& spelledPath) {
    if (unregister) {
        // Registrations live in the registrar's store; nothing from the file itself is ever run.
        if (const auto store = storeFolder(false)) {
            const ComponentRegistrar registrar(*store);
            registrar.unregister(target.path);
            if (!spelledPath.empty()) registrar.unregister(spelledPath);
        }
    }
    const auto folder = folderOf(target);
    if (!folder) return;
    const int error = deleteEntry(*folder, target.parts.back());
    if (error == EISDIR)
        refuse("Left " + inQuotes(target.path) + ": it is a folder, and an item names a single file.");
    else if (error != 0)
        refuse("Left " + inQuotes(target.path) + ": it could not be deleted" + errorText(error) + ".");
}

bool Uninstaller::directoryExists() const {
    if (directory_.empty()) return false;
    const Verdict directory = guard_.removable(directory_);
    if (!directory.ok()) return existsAsFolder(directory_);
    const Reached folder = root_.reach(directory.parts);
    // A link, a mount or a folder that cannot be entered on the way is there all the same; the tree
    // removal says why it stays.
    return folder.reach == Reach::Ok || folder.reach == Reach::Link || folder.reach == Reach::OtherMount ||
           folder.reach == Reach::Failed;
}

std::string Uninstaller::treeOwnershipRefusal() const {
    const Verdict tree = guard_.tree(directory_);
    if (!tree.ok()) return tree.refusal;
    const std::string refused = "Refused to remove the folder " + inQuotes(directory_) + ": ";
    const Reached folder = root_.reach(tree.parts);
    // What keeps the walk from the folder is the reason, whatever the folder holds.
    if (const std::string reason = stopReason(folder, tree.parts); !reason.empty()) return refused + reason;
    const std::string& title = script_.texts().title;
    const std::string notOwn = refused + "it holds neither this uninstaller's script " +
                               inQuotes(names_.scriptPath.native()) + " nor an installer log " +
                               std::string(kInstallerLogFile) + " with a section for " + inQuotes(title) +
                               ", so it may hold other programs' files.";
    if (folder.reach != Reach::Ok) return notOwn;
    if (const auto other = findForeignProgram(*folder.folder, title)) {
        const std::string log = inQuotes((fs::path(tree.path) / other->log).native());
        if (!other->unreadable.empty())
            return refused + "its installer log " + log + " cannot be read (" + other->unreadable +
                   "), so the folder may hold other programs' files.";
        return refused + "its installer log " + log + " has a section for another program, " +
               inQuotes(other->section) + ", whose files the folder may hold.";
    }
    const Verdict script = guard_.removable(names_.scriptPath.native());
    if (script.ok() && script.parts.size() > tree.parts.size() &&
        std::equal(tree.parts.begin(), tree.parts.end(), script.parts.begin())) {
        const Reached scriptFolder = root_.reach(allButLast(script.parts));
        if (scriptFolder.reach == Reach::Ok &&
            scriptFolder.folder->kind(script.parts.back()) == EntryKind::File)
            return {};
    }
    if (title.empty()) return notOwn;
    const auto log = folder.folder->read(kInstallerLogFile);
    return log && IniFile::parse(*log).hasSection(title) ? std::string() : notOwn;
}

void Uninstaller::removeDirectoryTree() {
    const Verdict tree = guard_.tree(directory_);
    if (!tree.ok()) {
        refuse(tree.refusal);
        return;
    }
    const std::string shown = inQuotes(directory_);
    const auto parent = folderOf(tree);
    if (!parent) return;
    const std::string& name = tree.parts.back();
    if (parent->kind(name) == EntryKind::Link) {
        refuse("Refused to remove the folder " + shown + ": it is a symbolic link.");
        return;
    }
    if (!treeRefusal_.empty()) {
        refuse(treeRefusal_);
        return;
    }
    const TreeRemoval removal = removeTree(*parent, name);
    for (auto& line : leftInPlace(removal, fs::path(tree.path).parent_path().native()))
        refuse(std::move(line));
}

void Uninstaller::updateLog() {
    const Verdict log = guard_.removable(directory_ + "/" + std::string(kInstallerLogFile));
    if (!log.ok()) {
        refuse(log.refusal);
        return;
    }
    const auto folder = folderOf(log);
    std::string unreadable;
    if (folder && !updateInstallerLog(*folder, script_.texts().title, &unreadable) && !unreadable.empty())
        refuse("Left the installer log " + inQuotes(log.path) + ": it cannot be read (" + unreadable + ").");
}

void Uninstaller::finalCleanUp() {
    if (const auto store = storeFolder(false)) UninstallEntries(*store).removeEntry(names_.baseName);

    const Verdict script = guard_.removable(names_.scriptPath.native());
    const Verdict self = guard_.removable(names_.ownPath.native());
    if (!script.ok()) refuse(script.refusal);
    if (!self.ok()) refuse(self.refusal);
    // Named where the root is now: should its path lead elsewhere since the start, the files to
    // delete at the next start are still the ones this run checked.
    const fs::path rootNow = root_.currentPath();
    const auto now = [&rootNow](const Verdict& v) {
        fs::path at = rootNow;
        for (const auto& part : v.parts) at /= part;
        return at.native();
    };
    bool scriptScheduled = false;
    bool selfScheduled = false;
    if (const auto store = storeFolder(true)) {
        const PendingDeletes pending(*store);
        scriptScheduled = script.ok() && pending.schedule(now(script));
        selfScheduled = self.ok() && pending.schedule(now(self));
    }
    if (self.ok() && !selfScheduled && script.ok()) {
        const Reached windows = root_.reach(windowsParts_);
        if (windows.reach == Reach::Ok && rewriteWininit(*windows.folder, now(self), now(script)))
            scriptScheduled = selfScheduled = true;
    }
    // Refused paths have been reported above; these were accepted but could not be scheduled.
    const std::string listed = " could not be scheduled for deletion at the next start: neither " +
                               inQuotes(layout_.pendingList.native()) + " nor " +
                               inQuotes((layout_.windowsDir / "WININIT.INI").native()) + " could be written.";
    if (self.ok() && !selfScheduled && script.ok() && !scriptScheduled)
        refuse("Left the uninstaller " + inQuotes(self.path) + " and its script " + inQuotes(script.path) +
               ": they" + listed);
    else if (self.ok() && !selfScheduled)
        refuse("Left the uninstaller " + inQuotes(self.path) + ": it" + listed);
    else if (script.ok() && !scriptScheduled)
        refuse("Left the uninstaller's script " + inQuotes(script.path) +
               ": it could not be scheduled for deletion at the next start: " +
               inQuotes(layout_.pendingList.native()) + " could not be written.");
}

}  // namespace kwu
