// The answer template: a map or multimap split into parallel key and value lists, appended
// after what the lists already hold, with the check that they were parallel on entry.
#include <map>
#include <string>

#include "module_fixture.h"
#include "template.h"

namespace {

class AnswerTemplateTest : public ModuleTest {
protected:
    template <class T>
    static std::string joined(const std::list<T>& values) {
        std::string text;
        for (const T& value : values) {
            if (!text.empty()) text += ' ';
            text += std::to_string(value);
        }
        return text;
    }
    static std::string joined(const std::list<AcGePoint3d>& points) {
        std::string text;
        for (const AcGePoint3d& p : points) {
            if (!text.empty()) text += ' ';
            text += std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z);
        }
        return text;
    }
};

TEST_F(AnswerTemplateTest, AMapIsSplitInKeyOrderAfterWhatTheListsHold) {
    std::list<int> keys;
    std::list<double> values;
    get_keys_and_values(std::map<int, double>{}, keys, values);
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(values.empty());

    const std::map<int, double> map{{30, 3.5}, {10, 1.5}, {20, 2.5}};
    get_keys_and_values(map, keys, values);
    EXPECT_EQ(joined(keys), "10 20 30");
    EXPECT_EQ(joined(values), "1.500000 2.500000 3.500000");

    // Two and two on entry: the old elements stay first and the lists stay parallel.
    keys = {7, 8};
    values = {0.5, 0.25};
    get_keys_and_values(map, keys, values);
    EXPECT_EQ(joined(keys), "7 8 10 20 30");
    EXPECT_EQ(joined(values), "0.500000 0.250000 1.500000 2.500000 3.500000");

    // An empty map leaves non-empty lists exactly as they were.
    get_keys_and_values(std::map<int, double>{}, keys, values);
    EXPECT_EQ(keys.size(), 5u);
    EXPECT_EQ(values.size(), 5u);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(AnswerTemplateTest, UnequalListsOnEntryAreReportedAndExtendedAllTheSame) {
    const std::map<int, double> map{{1, 10.0}, {2, 20.0}};
    std::list<int> keys{5};
    std::list<double> values;
    get_keys_and_values(map, keys, values);
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template");
    EXPECT_EQ(joined(keys), "5 1 2");
    EXPECT_EQ(joined(values), "10.000000 20.000000");

    // Even an empty map checks the lists it is handed.
    host_test::clear_assertion_reports();
    get_keys_and_values(std::map<int, double>{}, keys, values);
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template");
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(values.size(), 2u);
}

TEST_F(AnswerTemplateTest, AStartPointMultimapKeepsEqualPointsInTheirStoredOrder) {
    // The library's point ordering is exact: x, then y, then z, no tolerance.
    std::multimap<AcGePoint3d, int, KORVPoint3d_less> by_start;
    by_start.emplace(AcGePoint3d(1, 0, 0), 1);
    by_start.emplace(AcGePoint3d(0, 5, 0), 2);
    by_start.emplace(AcGePoint3d(1, 0, 0), 3);
    by_start.emplace(AcGePoint3d(0, 5, -1), 4);
    by_start.emplace(AcGePoint3d(1e-12, 0, 0), 5);
    by_start.emplace(AcGePoint3d(1, 0, 0), 6);

    std::list<AcGePoint3d> keys;
    std::list<int> values;
    get_keys_and_values(by_start, keys, values);
    EXPECT_EQ(joined(values), "4 2 5 1 3 6");
    EXPECT_EQ(joined(keys),
              "0.000000,5.000000,-1.000000 0.000000,5.000000,0.000000 0.000000,0.000000,0.000000 "
              "1.000000,0.000000,0.000000 1.000000,0.000000,0.000000 1.000000,0.000000,0.000000");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(AnswerTemplateTest, IdKeyedRecordsComeOutInIdOrder) {
    open_document(L"C:/proj/ids.dwg");
    host_test::DrawingBuilder drawing(acdbHostApplicationServices()->workingDatabase());
    const AcDbObjectId first = host_test::add_column(drawing, L"C1", {0, 0, 0}, 3);
    const AcDbObjectId second = host_test::add_column(drawing, L"C2", {0, 0, 0}, 3);
    std::map<AcDbObjectId, KORVid_and_filename> by_id;
    by_id.emplace(second, KORVid_and_filename(second, L"REF", AcDbObjectId()));
    by_id.emplace(first, KORVid_and_filename(first, L"", AcDbObjectId()));

    std::list<AcDbObjectId> keys;
    std::list<KORVid_and_filename> values;
    get_keys_and_values(by_id, keys, values);
    EXPECT_EQ(names(keys), "C1 C2");
    EXPECT_EQ(names(values), "C1 C2@REF");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

}  // namespace
