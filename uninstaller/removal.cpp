#include "uninstaller/removal.h"

#include <system_error>

#include "uninstaller/file_removal.h"
#include "uninstaller/installer_log.h"
#include "uninstaller/service_stores.h"
#include "uninstaller/wininit.h"

namespace kwu {
namespace fs = std::filesystem;

Uninstaller::Uninstaller(const UninstallScript& script, const ProgramNames& names,
                         const InstallLayout& layout, Prompter& prompter, MenuLayer& menu)
    : script_(script), names_(names), layout_(layout), guard_(layout), prompter_(prompter), menu_(menu) {}

void Uninstaller::report(const std::string& refusal) {
    prompter_.tell(Message{refusal, script_.texts().title, true, false, true});
}

void Uninstaller::run(const Choices& choices, const std::string& directory, RemovalObserver& observer) {
    const MainTexts& texts = script_.texts();
    running_ = true;
    choices_ = choices;
    directory_ = directory;

    std::error_code ec;
    if (directory.empty() || !fs::is_directory(directory, ec)) {
        prompter_.tell(Message{texts.nothingToUninstall, texts.title, true, false, true});
        finalCleanUp();
        running_ = false;
        return;
    }
    if (!menu_.connect()) {
        prompter_.tell(Message{script_.menuUnreachableMessage(), texts.title, true, false, true});
        running_ = false;
        return;
    }

    // An empty group names nothing; a group name that could carry commands is never sent.
    bool groupUsable = !texts.group.empty();
    if (groupUsable) {
        if (const auto refusal = menuNameRefusal(texts.group); !refusal.empty()) {
            report(refusal);
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
    running_ = false;
}

void Uninstaller::processItem(std::string_view section) {
    if (isInstallerLogSection(section)) {
        updateLog();
        return;
    }
    const ItemEntry item = script_.item(section);
    if (!item.location.empty()) {
        const std::string nameRefusal = plainNameRefusal(item.name);
        if (!nameRefusal.empty()) {
            report(nameRefusal);
        } else if (equalsNoCase(item.location, "S") || equalsNoCase(item.location, "W")) {
            const fs::path& folder =
                equalsNoCase(item.location, "S") ? layout_.systemDir : layout_.windowsDir;
            removeSystemFile((folder / item.name).string(), item.name, folder, item.unregister);
        } else {
            const Verdict file = guard_.removable(item.location + "/" + item.name);
            if (!file.ok()) {
                report(file.refusal);
            } else {
                if (item.unregister) {
                    unregisterFile(file.path);
                    // Registered under the path as the installer spelled it, when the root was
                    // reached through a link.
                    const fs::path spelled = fs::path(item.location + "/" + item.name).lexically_normal();
                    if (spelled != file.path) unregisterFile(spelled);
                }
                deleteWithAttributes(file.path);
            }
        }
    }
    if (!item.menuItem.empty()) {
        if (const auto refusal = menuNameRefusal(item.menuItem); !refusal.empty())
            report(refusal);
        else
            menu_.deleteItem(item.menuItem);
    }
}

void Uninstaller::removeSystemFile(const std::string& nameShown, std::string_view name,
                                   const fs::path& folder, bool unregister) {
    const Verdict file = guard_.removable((folder / name).string());
    if (!file.ok()) {
        report(file.refusal);
        return;
    }
    if (choices_.askSystemFiles &&
        !prompter_.ask(Message{script_.texts().systemFileQuestion, nameShown, true, true, true}))
        return;
    if (unregister) unregisterFile(file.path);
    deleteWithAttributes(file.path);
}

void Uninstaller::unregisterFile(const fs::path& path) {
    // Registrations live in the registrar's store; nothing from the file itself is ever run.
    ComponentRegistrar(layout_.registrarStore).unregister(path);
}

void Uninstaller::removeDirectoryTree() {
    const Verdict folder = guard_.tree(directory_);
    if (!folder.ok()) {
        report(folder.refusal);
        return;
    }
    removeTree(folder.path);
}

void Uninstaller::updateLog() {
    const Verdict log = guard_.removable(directory_ + "/kwp.ini");
    if (!log.ok()) {
        report(log.refusal);
        return;
    }
    updateInstallerLog(log.path, script_.texts().title);
}

void Uninstaller::finalCleanUp() {
    UninstallEntries(layout_.uninstallStore).removeEntry(names_.baseName);

    const Verdict script = guard_.removable(names_.scriptPath.string());
    const Verdict self = guard_.removable(names_.ownPath.string());
    if (!script.ok()) report(script.refusal);
    if (!self.ok()) report(self.refusal);
    const PendingDeletes pending(layout_.pendingList);
    if (script.ok()) pending.schedule(script.path);
    if (self.ok() && !pending.schedule(self.path) && script.ok())
        rewriteWininit(layout_.windowsDir, self.path.string(), script.path.string());
}

}  // namespace kwu
