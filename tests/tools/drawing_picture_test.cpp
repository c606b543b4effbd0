// Pictures of drawings: pixels inked where the drawing has entities and blank where it has
// none or hides them, through nested block transforms; SVG output that XML readers accept.
#include <cairo.h>
#include <dbents.h>
#include <dbobjptr.h>
#include <dbsymtb.h>
#include <host_test/drawing_builder.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "drawing_picture.h"
#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "host_fixture.h"
#include "tool_error.h"

namespace {

using korv_tool::DrawnSpace;

class DrawingPictureTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        database_ = host_test::new_drawing();
        drawing_ = std::make_unique<host_test::DrawingBuilder>(database_.get());
        drawing_->layer(L"HIDDEN", /*frozen=*/true);
        // The frame fixes the picture's extents: 0..100 both ways, 1000 px of drawing.
        add_line({0, 0, 0}, {100, 0, 0});
        add_line({0, 100, 0}, {100, 100, 0});
        drawing_->add(new AcDbArc(AcGePoint3d(50, 50, 0), 20, 0, std::numbers::pi));
        add_line({10, 80, 0}, {90, 80, 0}, L"HIDDEN");
        // A block holding a block: a line drawn at (70..80, 30) after both moves.
        const AcDbObjectId inner = drawing_->define_block(L"INNER");
        add_line({0, 0, 0}, {10, 0, 0}, L"", inner);
        const AcDbObjectId outer = drawing_->define_block(L"OUTER");
        drawing_->insert(inner, {AcGePoint3d(0, 10, 0)}, L"", outer);
        drawing_->insert(outer, {AcGePoint3d(70, 20, 0)});
    }
    void TearDown() override {
        drawing_.reset();
        database_.reset();
        HostTest::TearDown();
    }

    void add_line(const AcGePoint3d& from, const AcGePoint3d& to, const std::wstring& layer = L"",
                  AcDbObjectId block = AcDbObjectId()) {
        drawing_->add(new AcDbLine(from, to), layer, block);
    }

    // The picture's pixel at drawing point (x, y), for a 1000 px picture of 0..100 with the
    // renderer's margin of 3 % of the size on each side.
    static bool inked(cairo_surface_t* png, double x, double y) {
        const double margin = 30, scale = 940.0 / 100;
        const int column = static_cast<int>(std::lround(margin + x * scale));
        const int row = static_cast<int>(std::lround(1000 - margin - y * scale));
        const int stride = cairo_image_surface_get_stride(png);
        const unsigned char* data = cairo_image_surface_get_data(png);
        const auto* pixel = reinterpret_cast<const uint32_t*>(data + row * stride) + column;
        return (*pixel & 0xFFFFFF) != 0xFFFFFF;
    }

    std::unique_ptr<AcDbDatabase> database_;
    std::unique_ptr<host_test::DrawingBuilder> drawing_;
};

TEST_F(DrawingPictureTest, InksEntitiesWhereTheyAreThroughNestedTransformsAndHidesFrozenLayers) {
    dxf_files::ScratchFolder scratch;
    const auto scene = korv_tool::gather_scene(database_.get(), DrawnSpace::kModel, L"");
    expect_host_clean();
    korv_tool::write_picture(scene, scratch.path("plan.png"), 1000);

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
        cairo_image_surface_create_from_png(scratch.path("plan.png").c_str()),
        cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(png.get()), 1000);
    EXPECT_TRUE(inked(png.get(), 50, 0));   // the frame
    EXPECT_TRUE(inked(png.get(), 50, 70));  // the arc's midpoint
    EXPECT_FALSE(inked(png.get(), 50, 50));
    EXPECT_FALSE(inked(png.get(), 30, 80));  // the frozen layer's line
    EXPECT_TRUE(inked(png.get(), 75, 30));   // the nested line, moved by both inserts
    EXPECT_FALSE(inked(png.get(), 5, 10));   // where it would be without them
    EXPECT_FALSE(inked(png.get(), 75, 20));  // or with the outer insert only
}

TEST_F(DrawingPictureTest, AReferenceShowsItsAttributesNotItsBlocksAttributeDefinitions) {
    const AcDbObjectId block = drawing_->define_block(L"TAGGED");
    drawing_->add(new AcDbAttributeDefinition({}, L"default", L"TYPE", L"Type"), L"", block);
    auto* fixed = new AcDbAttributeDefinition({0, 1, 0}, L"fixed", L"NOTE", L"Note");
    fixed->setConstant(true);
    drawing_->add(fixed, L"", block);
    const AcDbObjectId reference_id = drawing_->insert(block, {AcGePoint3d(10, 10, 0)});
    {
        AcDbObjectPointer<AcDbBlockReference> reference(reference_id, AcDb::kForWrite);
        ASSERT_EQ(reference.openStatus(), Acad::eOk);
        auto* type = new AcDbAttribute({10, 10, 0}, L"CT1", L"TYPE");
        auto* hidden = new AcDbAttribute({10, 12, 0}, L"hidden", L"SECRET");
        hidden->setInvisible(true);
        for (AcDbAttribute* attribute : {type, hidden}) {
            reference->appendAttribute(attribute);
            attribute->close();
        }
    }
    auto texts = [&](const std::wstring& block_name) {
        std::vector<std::string> shown;
        for (const auto& label :
             korv_tool::gather_scene(database_.get(), DrawnSpace::kModel, block_name).labels)
            shown.push_back(label.text);
        std::sort(shown.begin(), shown.end());
        return shown;
    };
    EXPECT_EQ(texts(L""), (std::vector<std::string>{"CT1", "fixed"}));
    EXPECT_EQ(texts(L"TAGGED"), (std::vector<std::string>{"default", "fixed"}));
    expect_host_clean();
}

TEST_F(DrawingPictureTest, WritesSvgThatParsesAndRefusesUnknownBlocksAndFormats) {
    dxf_files::ScratchFolder scratch;
    const auto block = korv_tool::gather_scene(database_.get(), DrawnSpace::kModel, L"OUTER");
    EXPECT_EQ(block.strokes.size(), 1u);
    korv_tool::write_picture(block, scratch.path("block.svg"), 400);
    if (ezdxf_runner::available()) {
        EXPECT_TRUE(ezdxf_runner::script_succeeds(
            "import sys, xml.etree.ElementTree as t\n"
            "root = t.parse(sys.argv[1]).getroot()\n"
            "assert root.tag.endswith('svg'), root.tag\n"
            "assert any(e.tag.endswith('path') for e in root.iter())\n",
            scratch.path("block.svg")));
    }
    try {
        korv_tool::gather_scene(database_.get(), DrawnSpace::kModel, L"NOSUCH");
        ADD_FAILURE() << "an unknown block was drawn";
    } catch (const korv_tool::ToolError& error) {
        EXPECT_EQ(error.code(), korv_tool::ExitCode::kArgument);
    }
    try {
        korv_tool::write_picture(block, scratch.path("block.bmp"), 400);
        ADD_FAILURE() << "an unknown format was written";
    } catch (const korv_tool::ToolError& error) {
        EXPECT_EQ(error.code(), korv_tool::ExitCode::kUsage);
    }
    expect_host_clean();
}

}  // namespace
