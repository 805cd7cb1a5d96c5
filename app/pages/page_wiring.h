#pragma once
// Makes the program's pages in their order and wires them to each other and to the services
// around them; ShellContext's constructor (here too) hands each page family its parts of the
// program's state. The program and the page tests make their pages here, so the tests run the
// program's own wiring. User-interface thread.

#include <functional>

#include "app/pages/page_navigator.h"
#include "app/pages/pages.h"

namespace app {

// Attaches `navigator` (the one `context` hands the pages) to the context, then creates every
// page of `context.pages` still null (a page already there, such as a test's own
// kind of drum tab, is kept and wired as the program's would be), then wires: the save offer
// through the setup page's save, the drums' panic through its PANIC, the keyboard input to the
// input window, each drum step to the accompaniment, the menu keys on the pages that share them,
// and the setup page's exit to `onExit`.
void CreatePages(ShellContext& context, PageNavigator& navigator, std::function<void()> onExit = {});

}  // namespace app
