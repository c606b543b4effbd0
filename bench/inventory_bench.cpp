// What the column inventory costs beyond the host and library calls it must make.
//
// Each drawing holds n columns on a grid 1,000 wide, 10 units apart, in model space. Four
// benchmarks run on it:
//  - BM_build_column_inventory: scanning the drawing into a fresh inventory;
//  - BM_build_bare_loop: the same walk of model space making the calls the scan makes per
//    member (getEntityId, objectClass, getEntity, cast, is_column, get_start_point, getAcDbHandle,
//    is_steel, is_concrete, get_full_member_name, get_imported) and keeping nothing;
//  - BM_rectangle_query: KORVfind_columns_in_rectangle over the whole inventory with a
//    plan window holding 1% of the columns;
//  - BM_rectangle_bare_loop: opening each column by id, asking in_rectangle with that
//    window, and listing the hits.
// After the runs a summary gives, per drawing size, the fastest time of each and the ratios
// build/bare and query/bare.
#include <benchmark/benchmark.h>
#include <host_test/drawing_builder.h>
#include <host_test/host_test.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "member_inventory.h"

namespace {

constexpr int64_t kGridWidth = 1000;
constexpr double kSpacing = 10.0;

// A generated drawing, made once per size and kept for the whole run.
struct Drawing {
    AcApDocument* document = nullptr;
    std::vector<AcDbObjectId> columns;  // in creation order
    AcGePoint3d corner1, corner2;       // a plan window holding 1% of the columns
    size_t in_window = 0;
};

AcGePoint3d grid_point(int64_t i) {
    return {static_cast<double>(i % kGridWidth) * kSpacing,
            static_cast<double>(i / kGridWidth) * kSpacing, 0.0};
}

std::unique_ptr<Drawing> generate(int64_t n) {
    auto drawing = std::make_unique<Drawing>();
    auto database = host_test::new_drawing();
    const AcDbObjectId model_space_id = host_test::DrawingBuilder(database.get()).model_space();
    AcDbBlockTableRecord* model_space = nullptr;
    if (acdbOpenObject(model_space, model_space_id, AcDb::kForWrite) != Acad::eOk)
        throw std::runtime_error("model space does not open");
    drawing->columns.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const AcGePoint3d base = grid_point(i);
        auto* column = new KORVLinear_structural_member(KORVLinear_structural_member::kColumn, base,
                                                        base + AcGeVector3d(0, 0, 3));
        column->set_name(L"C" + std::to_wstring(i + 1));
        column->set_material(i % 2 ? KORVLinear_structural_member::kSteel
                                   : KORVLinear_structural_member::kConcrete);
        AcDbObjectId id;
        model_space->appendAcDbEntity(id, column);
        column->close();
        drawing->columns.push_back(id);
    }
    model_space->close();
    drawing->document = host_test::add_document(
        std::move(database), L"C:/bench/columns_" + std::to_wstring(n) + L".dwg");

    // The first n / 100 columns in grid order: whole rows once there are enough of them.
    const int64_t wanted = std::max<int64_t>(n / 100, 1);
    const double half = kSpacing / 2;
    if (wanted < kGridWidth) {
        drawing->corner1 = {-half, -half, 0};
        drawing->corner2 = {static_cast<double>(wanted) * kSpacing - half, half, 0};
    } else {
        drawing->corner1 = {-half, -half, 0};
        drawing->corner2 = {kGridWidth * kSpacing - half,
                            static_cast<double>(wanted / kGridWidth) * kSpacing - half, 0};
    }
    drawing->in_window =
        static_cast<size_t>(wanted < kGridWidth ? wanted : wanted / kGridWidth * kGridWidth);
    return drawing;
}

Drawing& drawing_of(int64_t n) {
    static std::map<int64_t, std::unique_ptr<Drawing>> cache;
    std::unique_ptr<Drawing>& drawing = cache[n];
    if (!drawing) drawing = generate(n);
    host_test::set_current_document(drawing->document);
    host_test::set_working_database(drawing->document->database());
    return *drawing;
}

// ----- building --------------------------------------------------------------------------------

void BM_build_column_inventory(benchmark::State& state) {
    Drawing& drawing = drawing_of(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        KORVinventory_document_to_be_destroyed(drawing.document);
        state.ResumeTiming();
        Member_inventory* inventory = current_column_inventory();
        benchmark::DoNotOptimize(inventory);
        if (inventory == nullptr || inventory->records().size() != drawing.columns.size()) {
            state.SkipWithError("the inventory does not hold every column");
            break;
        }
    }
    KORVinventory_document_to_be_destroyed(drawing.document);
    state.counters["members"] = static_cast<double>(drawing.columns.size());
}

void BM_build_bare_loop(benchmark::State& state) {
    Drawing& drawing = drawing_of(state.range(0));
    AcDbDatabase* database = drawing.document->database();
    for (auto _ : state) {
        size_t seen = 0;
        double checksum = 0.0;
        AcDbBlockTableRecordPointer model_space(ACDB_MODEL_SPACE, database, AcDb::kForRead);
        AcDbBlockTableRecordIterator* raw_iterator = nullptr;
        model_space->newIterator(raw_iterator, true, true);
        std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
        for (; !iterator->done(); iterator->step()) {
            AcDbObjectId id;
            AcDbEntity* entity = nullptr;
            if (iterator->getEntityId(id) != Acad::eOk ||
                !AcRxClass::isDerivedFrom(id.objectClass(), KORVLinear_structural_member::desc()) ||
                iterator->getEntity(entity, AcDb::kForRead, false) != Acad::eOk) {
                continue;
            }
            auto* member = KORVLinear_structural_member::cast(entity);
            if (member != nullptr && member->is_column()) {
                const AcGePoint3d start = member->get_start_point(true);
                AcDbHandle handle;
                member->getAcDbHandle(handle);
                const std::wstring name = member->get_full_member_name(false);
                checksum += start.x + static_cast<double>(handle.low()) +
                            static_cast<double>(name.size()) + member->is_steel() +
                            member->is_concrete() + member->get_imported();
                ++seen;
            }
            entity->close();
        }
        benchmark::DoNotOptimize(checksum);
        if (seen != drawing.columns.size()) {
            state.SkipWithError("the walk did not see every column");
            break;
        }
    }
    state.counters["members"] = static_cast<double>(drawing.columns.size());
}

// ----- querying ----------------------------------------------------------------------------------

void BM_rectangle_query(benchmark::State& state) {
    Drawing& drawing = drawing_of(state.range(0));
    if (current_column_inventory() == nullptr) {
        state.SkipWithError("no inventory");
        return;
    }
    for (auto _ : state) {
        std::list<KORVid_and_filename> result;
        KORVfind_columns_in_rectangle(drawing.corner1, drawing.corner2, true, AcGeVector3d::kZAxis,
                                      false, false, 0.0, 0.0, result);
        if (result.size() != drawing.in_window) {
            state.SkipWithError("the window did not hold the expected columns");
            break;
        }
    }
    KORVinventory_document_to_be_destroyed(drawing.document);
    state.counters["records"] = static_cast<double>(drawing.columns.size());
    state.counters["found"] = static_cast<double>(drawing.in_window);
}

void BM_rectangle_bare_loop(benchmark::State& state) {
    Drawing& drawing = drawing_of(state.range(0));
    for (auto _ : state) {
        std::list<KORVid_and_filename> result;
        for (const AcDbObjectId& id : drawing.columns) {
            AcDbObjectPointer<KORVLinear_structural_member> column(id, AcDb::kForRead);
            if (column.openStatus() != Acad::eOk) continue;
            if (column->in_rectangle(drawing.corner1, drawing.corner2, true, AcGeVector3d::kZAxis,
                                     false, false, 0.0, 0.0)) {
                result.emplace_back(id, std::wstring(), AcDbObjectId());
            }
        }
        if (result.size() != drawing.in_window) {
            state.SkipWithError("the window did not hold the expected columns");
            break;
        }
    }
    state.counters["records"] = static_cast<double>(drawing.columns.size());
}

BENCHMARK(BM_build_column_inventory)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_build_bare_loop)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_rectangle_query)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_rectangle_bare_loop)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);

// The console report, then per size the CPU time of each benchmark and the two ratios. CPU
// time rather than wall time, since the machine may be shared: a descheduled process loses
// wall time that says nothing of the code. Per benchmark and size the fastest repetition
// counts, or the median when only aggregates are reported.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            Timing& timing = timings_[run.run_name.args][run.run_name.function_name];
            const double ms = run.GetAdjustedCPUTime();
            if (median) {
                timing.median = ms;
            } else if (timing.fastest == 0.0 || ms < timing.fastest) {
                timing.fastest = ms;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void print_summary(std::ostream& out) const {
        out << "\nCPU ms   members      build       bare  build/bare      query       bare  "
               "query/bare\n";
        std::map<long, const std::map<std::string, Timing>*> by_size;
        for (const auto& [args, timings] : timings_) by_size[std::stol(args)] = &timings;
        for (const auto& [size, timings] : by_size) {
            auto time_of = [&](const char* name) {
                auto found = timings->find(name);
                if (found == timings->end()) return 0.0;
                return found->second.fastest > 0.0 ? found->second.fastest : found->second.median;
            };
            const double build = time_of("BM_build_column_inventory");
            const double build_bare = time_of("BM_build_bare_loop");
            const double query = time_of("BM_rectangle_query");
            const double query_bare = time_of("BM_rectangle_bare_loop");
            if (build == 0.0 && query == 0.0) continue;  // a size only other benchmarks use
            char line[160];
            std::snprintf(line, sizeof line, "%17ld %10.3f %10.3f %11.2f %10.3f %10.3f %11.2f\n",
                          size, build, build_bare, build_bare > 0 ? build / build_bare : 0.0, query,
                          query_bare, query_bare > 0 ? query / query_bare : 0.0);
            out << line;
        }
    }

private:
    struct Timing {
        double fastest = 0.0;
        double median = 0.0;
    };
    std::map<std::string, std::map<std::string, Timing>> timings_;  // size -> name -> ms
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_summary(std::cout);
    benchmark::Shutdown();
    return 0;
}
