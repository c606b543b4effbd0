// The answer template: a map or multimap split into parallel key and value lists, appended
// after what the lists already hold, with the check that they were parallel on entry.
#include <map>
#include <string>

#include "module_fixture.h"
#include "template.h"

namespace {

template <class T>
std::string joined(const std::list<T>& values) {
    std::string text;
    for (const T& value : values) text += (text.empty() ? "" : " ") + std::to_string(value);
    return text;
}

using AnswerTemplateTest = ModuleTest;

TEST_F(AnswerTemplateTest, AMapIsSplitInKeyOrderAfterWhatTheListsHold) {
    const std::map<int, double> map{{30, 3.5}, {10, 1.5}, {20, 2.5}};
    std::list<int> keys{7, 8};
    std::list<double> values{0.5, 0.25};
    get_keys_and_values(map, keys, values);
    get_keys_and_values(std::map<int, double>{}, keys, values);  // leaves them as they are
    EXPECT_EQ(joined(keys), "7 8 10 20 30");
    EXPECT_EQ(joined(values), "0.500000 0.250000 1.500000 2.500000 3.500000");
    EXPECT_EQ(host_test::assertion_summary(), "");

    // Unequal on entry: reported and extended all the same; an empty map checks them too.
    keys = {5};
    values.clear();
    get_keys_and_values(std::map<int, double>{{1, 10.0}, {2, 20.0}}, keys, values);
    get_keys_and_values(std::map<int, double>{}, keys, values);
    EXPECT_EQ(joined(keys), "5 1 2");
    EXPECT_EQ(joined(values), "10.000000 20.000000");
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template "
              "answer_keys.size() == answer_values.size()@template");
}

TEST_F(AnswerTemplateTest, MultimapsKeepEqualKeysInStoredOrderAndIdMapsGoInIdOrder) {
    // The library's point ordering is exact: x, then y, then z, no tolerance.
    std::multimap<AcGePoint3d, int, KORVPoint3d_less> by_start;
    const AcGePoint3d points[] = {{1, 0, 0},  {0, 5, 0},     {1, 0, 0},
                                  {0, 5, -1}, {1e-12, 0, 0}, {1, 0, 0}};
    for (int i = 0; i < 6; ++i) by_start.emplace(points[i], i + 1);
    std::list<AcGePoint3d> points_out;
    std::list<int> values;
    get_keys_and_values(by_start, points_out, values);
    EXPECT_EQ(joined(values), "4 2 5 1 3 6");
    std::string keys;
    for (const AcGePoint3d& p : points_out) keys += std::to_string(p.x).substr(0, 5) + " ";
    EXPECT_EQ(keys, "0.000 0.000 0.000 1.000 1.000 1.000 ");

    open_document(L"C:/proj/ids.dwg");
    host_test::DrawingBuilder drawing(acdbHostApplicationServices()->workingDatabase());
    const AcDbObjectId first = host_test::add_column(drawing, L"C1", {0, 0, 0}, 3);
    const AcDbObjectId second = host_test::add_column(drawing, L"C2", {0, 0, 0}, 3);
    std::map<AcDbObjectId, KORVid_and_filename> by_id;
    by_id.emplace(second, KORVid_and_filename(second, L"REF", AcDbObjectId()));
    by_id.emplace(first, KORVid_and_filename(first, L"", AcDbObjectId()));
    std::list<AcDbObjectId> ids;
    std::list<KORVid_and_filename> results;
    get_keys_and_values(by_id, ids, results);
    EXPECT_EQ(names(ids), "C1 C2");
    EXPECT_EQ(names(results), "C1 C2@REF");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

}  // namespace
