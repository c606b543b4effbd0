// Reading a drawing with many block definitions: each block record is found by name as it
// is added and as inserts name it, so the time must grow with the number of blocks, not
// with its square. BM_read_blocks reads drawings of 10,000 to 100,000 block definitions,
// each holding a line and inserted once in model space; the complexity fit reports the
// order it sees (expected: N).
#include <benchmark/benchmark.h>
#include <dbents.h>
#include <host_test/drawing_builder.h>
#include <host_test/host_test.h>

#include <filesystem>
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

}  // namespace
