#include "uninstaller/removal.h"

#include <sys/stat.h>

#include <algorithm>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/installer_log.h"
#include "uninstaller/printable.h"
#include "uninstaller/service_stores.h"
#include "uninstaller/wininit.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

std::vector<std::string> partsBelow(const fs::path& path, const fs::path& root) {
    std::vector<std::string> parts;
    for (const auto& part : path.lexically_relative(root)) parts.push_back(part.native());
    return parts;
}

bool existsAsFolder(const std::string& directory) {
    if (directory.empty() || directory.find('\0') != std::string::npos) return false;
    struct stat st {};
    return ::stat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> allButLast(const std::vector<std::string>& parts) {
    return {parts.begin(), parts.end() - (parts.empty() ? 0 : 1)};
}

}  // namespace

Uninstaller::Uninstaller(const UninstallScript& script, const ProgramNames& names,
                         const InstallLayout& layout, Prompter& prompter, MenuLayer& menu)
    : script_(script),
      names_(names),
      layout_(layout),
      guard_(layout),
      prompter_(prompter),
      menu_(menu),
      storeParts_(partsBelow(layout.storeDir, layout.root)),
      windowsParts_(partsBelow(layout.windowsDir, layout.root)) {}

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
        Message summary{text, script_.texts().title, true, false, true};
        if (refusals_.size() > kRefusalsShown) summary.details = std::move(details);
        prompter_.tell(summary);
    }
    root_.reset();
    running_ = false;
}

void Uninstaller::run(const Choices& choices, RemovalObserver& observer) {
    const MainTexts& texts = script_.texts();
    running_ = true;
    choices_ = choices;
    directory_ = texts.directory;
    refusals_.clear();

    if (auto refusal = rootRefusal(layout_); !refusal.empty()) {
        refuse(std::move(refusal));
        finish();
        return;
    }
    root_ = std::move(Folder::open(layout_.root).folder);

    if (!existsAsFolder(directory_)) {
        prompter_.tell(Message{texts.nothingToUninstall, texts.title, true, false, true});
        finalCleanUp();
        finish();
        return;
    }
    if (!menu_.connect()) {
        prompter_.tell(Message{script_.menuUnreachableMessage(), texts.title, true, false, true});
        finish();
        return;
    }
    // Asked before the items run: the log item may change or delete the log.
    ownsTree_ = choices_.removeTree && treeHoldsOwnFiles();

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
            if (prompter_.ask(Message{texts.cancelQuestion, texts.title, false, false, false})) break;
            cancelRequested_ = false;
        }
    }

    if (choices_.removeGroup && groupUsable) menu_.deleteGroup(texts.group);
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

std::optional<Folder> Uninstaller::folderOf(const Verdict& target) {
    if (!root_ || target.parts.empty()) return std::nullopt;
    Reached folder = root_->descend(allButLast(target.parts));
    if (folder.reach == Reach::Link) {
        fs::path link = guard_.root();
        for (std::size_t i = 0; i <= folder.stoppedAt; ++i) link /= target.parts[i];
        refuse("Refused " + inQuotes(target.path) + ": it leads through the symbolic link " +
               inQuotes(link.native()) + ".");
    }
    return std::move(folder.folder);
}

std::optional<Folder> Uninstaller::storeFolder(bool create) const {
    if (!root_) return std::nullopt;
    Reached store = create ? root_->descendCreating(storeParts_) : root_->descend(storeParts_);
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
    if (const auto folder = folderOf(target)) deleteWithAttributes(*folder, target.parts.back());
}

bool Uninstaller::treeHoldsOwnFiles() const {
    const Verdict tree = guard_.tree(directory_);
    if (!tree.ok() || !root_) return false;
    const Verdict script = guard_.removable(names_.scriptPath.native());
    if (script.ok() && script.parts.size() > tree.parts.size() &&
        std::equal(tree.parts.begin(), tree.parts.end(), script.parts.begin())) {
        const Reached folder = root_->descend(allButLast(script.parts));
        if (folder.reach == Reach::Ok && folder.folder->kind(script.parts.back()) == EntryKind::File)
            return true;
    }
    const std::string& title = script_.texts().title;
    if (title.empty()) return false;
    const Reached folder = root_->descend(tree.parts);
    if (folder.reach != Reach::Ok) return false;
    const auto log = folder.folder->read(kInstallerLogFile);
    return log && IniFile::parse(*log).hasSection(title);
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
    if (!ownsTree_) {
        refuse("Refused to remove the folder " + shown + ": it holds neither this uninstaller's script " +
               inQuotes(names_.scriptPath.native()) + " nor an installer log " +
               std::string(kInstallerLogFile) + " with a section for " + inQuotes(script_.texts().title) +
               ", so it may hold other programs' files.");
        return;
    }
    const TreeRemoval removal = removeTree(*parent, name);
    const fs::path above = fs::path(tree.path).parent_path();
    for (const auto& folder : removal.otherMounts)
        refuse("Left the folder " + inQuotes((above / folder).native()) +
               ": it lies on another device or mount, which the uninstaller never enters.");
    for (const auto& folder : removal.tooDeep)
        refuse("Left the folder " + inQuotes((above / folder).native()) + ": it lies too deep to remove.");
}

void Uninstaller::updateLog() {
    const Verdict log = guard_.removable(directory_ + "/" + std::string(kInstallerLogFile));
    if (!log.ok()) {
        refuse(log.refusal);
        return;
    }
    if (const auto folder = folderOf(log)) updateInstallerLog(*folder, script_.texts().title);
}

void Uninstaller::finalCleanUp() {
    if (const auto store = storeFolder(false)) UninstallEntries(*store).removeEntry(names_.baseName);

    const Verdict script = guard_.removable(names_.scriptPath.native());
    const Verdict self = guard_.removable(names_.ownPath.native());
    if (!script.ok()) refuse(script.refusal);
    if (!self.ok()) refuse(self.refusal);
    bool selfScheduled = false;
    if (const auto store = storeFolder(true)) {
        const PendingDeletes pending(*store);
        if (script.ok()) pending.schedule(script.path);
        selfScheduled = self.ok() && pending.schedule(self.path);
    }
    if (self.ok() && !selfScheduled && script.ok() && root_) {
        const Reached windows = root_->descend(windowsParts_);
        if (windows.reach == Reach::Ok) rewriteWininit(*windows.folder, self.path, script.path);
    }
}

}  // namespace kwu
