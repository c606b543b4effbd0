// Fuzz target: any bytes, as a drawing file, either read into a database or are refused
// with a status; nothing crashes, hangs, leaks, stays open or misuses the host. What reads
// is also written back and read again, and gives the same objects.
#include <dbmain.h>
#include <host_test/host_test.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "drawing_dump.h"

namespace {

// A folder of the fuzzer's own, so that references the input names resolve inside it;
// removed with what the inputs left in it when the process ends.
class WorkFolder {
public:
    WorkFolder() {
        const std::filesystem::path pattern =
            std::filesystem::temp_directory_path() / "korv-dxf-fuzz-XXXXXX";
        path_ = pattern.string();
        if (mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const std::string& work_folder() {
    static const WorkFolder folder;
    return folder.path();
}

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void require_clean_host() {
    if (host_test::open_object_count() != 0 || host_test::live_iterator_count() != 0 ||
        !host_test::host_violations().empty()) {
        std::fprintf(stderr, "host not clean after a read\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = work_folder() + "/input.dxf";
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    {
        AcDbDatabase db(false, true);
        const Acad::ErrorStatus es =
            db.readDwgFile(wide(input).c_str(), AcDbDatabase::kForReadAndAllShare);
        require_clean_host();
        if (es == Acad::eOk) {
            // Saved over the input itself, so that the references it names (itself among
            // them) resolve the same when it is read again: the same objects come back.
            const std::string seen = drawing_dump::dump_drawing(&db);
            if (db.saveAs(wide(input).c_str()) != Acad::eOk) std::abort();
            AcDbDatabase again(false, true);
            if (again.readDwgFile(wide(input).c_str(), AcDbDatabase::kForReadAndAllShare) !=
                Acad::eOk) {
                std::fprintf(stderr, "a drawing we wrote does not read back\n");
                std::abort();
            }
            if (drawing_dump::dump_drawing(&again) != seen) {
                std::fprintf(stderr, "a drawing read back differs:\n%s\nnow\n%s\n", seen.c_str(),
                             drawing_dump::dump_drawing(&again).c_str());
                std::abort();
            }
        }
    }
    require_clean_host();
    host_test::reset_host();
    return 0;
}
