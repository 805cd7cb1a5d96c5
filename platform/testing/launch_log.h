#pragma once
// A launcher for tests: opens nothing, keeps every path it was asked to open, and answers as a
// desktop with (accepts = true) or without a browser would.

#include <string>
#include <vector>

#include "platform/launcher.h"

namespace platform::testing {

class LaunchLog final : public Launcher {
  public:
    bool openDocument(const std::string& path) override {
        opened.push_back(path);
        return accepts;
    }
    bool accepts = true;
    std::vector<std::string> opened;
};

}  // namespace platform::testing
