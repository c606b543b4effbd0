#include "schedule_sheet.h"

#include <dbents.h>
#include <host_test/host_test.h>
#include <host_test/structure_builder.h>

#include <string>
#include <vector>

#include "KORVInventory.h"

namespace korv_sample {
namespace {

using host_test::DrawingBuilder;

constexpr double kColumnWidth = 2.5;  // one schedule column per column type
constexpr double kRowHeight = 0.8;
constexpr double kTextHeight = 0.15;

struct ColumnType {
    const wchar_t* name;
    double aspect_ratio;
    int bars_x, bars_y;
    bool circular;
    int tie_legs_x, tie_legs_y;
};

const ColumnType kColumnTypes[] = {
    {L"CT1", 1.0, 4, 2, false, 3, 4},
    {L"CT2", 2.0, 5, 0, false, 3, 2},
    {L"CT3", 0.5, 3, 3, false, 2, 3},
    {L"CT4", 1.0, 8, 0, true, 4, 3},
};

void add_line(DrawingBuilder& drawing, const AcGePoint3d& from, const AcGePoint3d& to) {
    drawing.add(new AcDbLine(from, to), L"", drawing.paper_space());
}

void add_text(DrawingBuilder& drawing, const AcGePoint3d& at, const std::wstring& text) {
    drawing.add(new AcDbText(at, text.c_str(), AcDbObjectId::kNull, kTextHeight), L"",
                drawing.paper_space());
}

// The table of a schedule: a title row over one column per type, its bottom-left corner at
// `corner`.
void draw_table(DrawingBuilder& drawing, const AcGePoint3d& corner, const std::wstring& title,
                const std::vector<std::wstring>& columns) {
    const double width = kColumnWidth * static_cast<double>(columns.size());
    for (int row = 0; row <= 2; ++row) {
        const double y = corner.y + row * kRowHeight;
        add_line(drawing, {corner.x, y, 0}, {corner.x + width, y, 0});
    }
    for (size_t column = 0; column <= columns.size(); ++column) {
        const double x = corner.x + kColumnWidth * static_cast<double>(column);
        const double top = column == 0 || column == columns.size() ? 2 : 1;
        add_line(drawing, {x, corner.y, 0}, {x, corner.y + top * kRowHeight, 0});
    }
    add_text(drawing, {corner.x + 0.2, corner.y + 1.3 * kRowHeight, 0}, title);
    for (size_t column = 0; column < columns.size(); ++column) {
        add_text(drawing,
                 {corner.x + kColumnWidth * static_cast<double>(column) + 0.2,
                  corner.y + 0.3 * kRowHeight, 0},
                 columns[column]);
    }
}

}  // namespace

void add_schedule_sheet(DrawingBuilder& drawing) {
    const AcGePoint3d column_schedule_corner(0, 30, 0);
    const std::vector<std::wstring> levels = {L"C1-C6", L"C7-C12", L"C13-C18"};
    draw_table(drawing, column_schedule_corner, L"COLUMN SCHEDULE", levels);
    host_test::add_column_schedule(drawing, column_schedule_corner, L"COLUMN SCHEDULE");

    const AcGePoint3d corner(0, 20, 0);
    std::vector<std::wstring> types;
    for (const ColumnType& type : kColumnTypes) types.push_back(type.name);
    draw_table(drawing, corner, L"CONCRETE COLUMN SCHEDULE", types);
    const AcDbObjectId schedule = host_test::add_concrete_column_schedule(
        drawing, corner, L"CONCRETE COLUMN SCHEDULE", types);

    AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
    host_test::set_working_database(drawing.database());
    AcGePoint3d insert_point = corner;
    for (const ColumnType& type : kColumnTypes) {
        KORVdraw_rebar_block(kColumnWidth, insert_point, true, type.name, type.aspect_ratio,
                             type.bars_x, type.bars_y, type.circular, type.tie_legs_x,
                             type.tie_legs_y, schedule, AcDbObjectId::kNull, kTextHeight);
    }
    host_test::set_working_database(working);
}

}  // namespace korv_sample
