#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace korv_tool {

Progress::Progress(const std::string& what) : what_(what), shown_(isatty(STDERR_FILENO) == 1) {
    show("");
}

Progress::~Progress() {
    if (shown_) std::fputs("\r\033[K", stderr);
}

void Progress::show(const std::string& detail) const {
    if (!shown_) return;
    std::fprintf(stderr, "\r\033[Kkorv-inventory: %s%s%s...", what_.c_str(),
                 detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stderr);
}

}  // namespace korv_tool
