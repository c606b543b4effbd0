// Reading drawings.
//
// BM_read_blocks: a drawing with many block definitions. Each block record is found by
// name as it is added and as inserts name it, so the time must grow with the number of
// blocks, not with its square: drawings of 10,000 to 100,000 block definitions, each
// holding a line and inserted once in model space; the complexity fit reports the order it
// sees (expected: N).
//
// BM_read_ezdxf_lines: third-party drawings of lines and polylines (ezdxf writes them in
// the set-up, scripts/ezdxf-lines.py) of 1, 8 and 32 MiB, read by readDwgFile. Beside it
// BM_scan_line_ends, the bare loop no reader can beat: the same file's bytes read and
// searched for line ends. Both report bytes per second; the time must grow linearly with
// the size.
#include <benchmark/benchmark.h>
#include <dbents.h>
#include <host_test/drawing_builder.h>
#include <host_test/host_test.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace {

// The drawing file of n blocks, written once per size into the temporary folder.
const std::filesystem::path& drawing_file(int64_t n) {
    static std::map<int64_t, std::filesystem::path> files;
    auto found = files.find(n);
    if (found != files.end()) return found->second;
    auto database = host_test::new_drawing();
    host_test::DrawingBuilder builder(database.get());
    for (int64_t i = 0; i < n; ++i) {
        const AcDbObjectId block = builder.define_block(L"PART_" + std::to_wstring(i));
        builder.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), L"", block);
        builder.insert(block, {{static_cast<double>(i), 0, 0}});
    }
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("korv_read_bench_" + std::to_string(n) + ".dxf");
    if (database->saveAs(file.wstring().c_str()) != Acad::eOk)
        throw std::runtime_error("the generated drawing does not save");
    return files[n] = file;
}

void BM_read_blocks(benchmark::State& state) {
    const std::filesystem::path& file = drawing_file(state.range(0));
    for (auto _ : state) {
        AcDbDatabase database(false, true);
        if (database.readDwgFile(file.wstring().c_str()) != Acad::eOk) {
            state.SkipWithError("the drawing does not read");
            break;
        }
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_read_blocks)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(70000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The ezdxf drawing of about `megabytes` MiB, written once per size; empty when ezdxf is
// missing (python3-ezdxf, run with /usr/bin/python3).
const std::filesystem::path& ezdxf_drawing(int64_t megabytes) {
    static std::map<int64_t, std::filesystem::path> files;
    auto found = files.find(megabytes);
    if (found != files.end()) return found->second;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("korv_read_bench_ezdxf_" + std::to_string(megabytes) + ".dxf");
    const std::string command = std::string("/usr/bin/python3 ") + KORV_SOURCE_DIR +
                                "/scripts/ezdxf-lines.py " + std::to_string(megabytes) + " " +
                                file.string() + " 2>/dev/null";
    return files[megabytes] = std::system(command.c_str()) == 0 ? file : std::filesystem::path();
}

void BM_read_ezdxf_lines(benchmark::State& state) {
    const std::filesystem::path& file = ezdxf_drawing(state.range(0));
    if (file.empty()) {
        state.SkipWithError("ezdxf is missing (Debian package python3-ezdxf)");
        return;
    }
    for (auto _ : state) {
        AcDbDatabase database(false, true);
        if (database.readDwgFile(file.wstring().c_str()) != Acad::eOk) {
            state.SkipWithError("the drawing does not read");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_read_ezdxf_lines)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

size_t count_line_ends(const std::string& text) {
    size_t lines = 0;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (const void* found = std::memchr(at, '\n', static_cast<size_t>(end - at))) {
        ++lines;
        at = static_cast<const char*>(found) + 1;
    }
    return lines;
}

void BM_scan_line_ends(benchmark::State& state) {
    const std::filesystem::path& file = ezdxf_drawing(state.range(0));
    if (file.empty()) {
        state.SkipWithError("ezdxf is missing (Debian package python3-ezdxf)");
        return;
    }
    const auto size = static_cast<size_t>(std::filesystem::file_size(file));
    std::string text(size, '\0');
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        in.read(text.data(), static_cast<std::streamsize>(size));
        benchmark::DoNotOptimize(count_line_ends(text));
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_scan_line_ends)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
