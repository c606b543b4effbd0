// progress.h: what a long step is doing, shown on stderr while it runs when stderr is a
// terminal (a user watching), and nothing otherwise (a script or a pipe). The line is
// rewritten in place and erased when the step ends, so that it never mixes with the
// answer or the messages.
#pragma once

#include <string>

namespace korv_tool {

class Progress {
public:
    explicit Progress(const std::string& what);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // "reading building.dxf: columns".
    void show(const std::string& detail) const;

private:
    std::string what_;
    bool shown_ = false;
};

}  // namespace korv_tool
