#pragma once
// Opens a document with the program the desktop associates with it (the help pages in the
// desktop's browser). The real service is Qt's (platform/qt/qt_launcher.h); tests install the
// launch log (platform/testing/launch_log.h). User-interface thread only.

#include <string>

namespace platform {

class Launcher {
  public:
    virtual ~Launcher() = default;
    // path: an absolute file path. True when the desktop accepted the request; whether the
    // document then shows is the desktop's affair.
    virtual bool openDocument(const std::string& path) = 0;
};

}  // namespace platform
