// make-sample OUTPUT_DIR: writes the sample building (sample_building.h) as drawing files.
// samples/ holds its output; a test regenerates it and compares, so run
//   build/default/tools/make-sample samples
// after changing the building or the drawing file writer.
#include <acadstrc.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "sample_building.h"

namespace {

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]).rfind('-', 0) == 0) {
        std::cerr << "usage: make-sample OUTPUT_DIR\n"
                     "Writes building.dxf, core.dxf and stair.dxf, the sample building, into "
                     "OUTPUT_DIR.\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::cerr << "make-sample: cannot create " << folder.string() << ": " << error.message()
                  << "\n";
        return 3;
    }
    if (const auto failure = korv_sample::write_sample_building(folder)) {
        std::cerr << "make-sample: cannot save " << failure->file.string() << ": "
                  << narrow(acadErrorStatusText(failure->status)) << "\n";
        return 4;
    }
    for (const char* file : {"building.dxf", "core.dxf", "stair.dxf"})
        std::cout << (folder / file).string() << "\n";
    return 0;
}
