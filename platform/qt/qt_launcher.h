#pragma once
// The launcher over Qt: the desktop's handler for the file's type (a browser for .htm).
// User-interface thread only.

#include "platform/launcher.h"

namespace platform::qt {

class QtLauncher final : public Launcher {
  public:
    bool openDocument(const std::string& path) override;
};

}  // namespace platform::qt
