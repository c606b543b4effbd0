#include "drawing_picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <dbents.h>
#include <dbobjptr.h>
#include <dbpl.h>
#include <dbsymtb.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>

#include "drawing_session.h"
#include "korvdbx.h"
#include "text.h"
#include "tool_error.h"

namespace korv_tool {
namespace {

constexpr int kByBlock = 0;
constexpr int kByLayer = 256;
constexpr int kDeepestNesting = 32;  // a block that inserts itself is drawn no deeper
constexpr double kArcStep = std::numbers::pi / 36;

// What the entities of one block are drawn under: the transform into the drawn space and
// the colour that "by block" means there.
struct Placement {
    AcGeMatrix3d transform;
    int block_colour = 7;
    int depth = 0;
};

class SceneGatherer {
public:
    explicit SceneGatherer(Scene& scene) : scene_(scene) {}

    void gather_block(AcDbObjectId block_id, const Placement& placement) {
        if (placement.depth > kDeepestNesting) return;
        AcDbBlockTableRecordPointer block(block_id, AcDb::kForRead);
        if (block.openStatus() != Acad::eOk) return;
        AcDbBlockTableRecordIterator* raw = nullptr;
        if (block->newIterator(raw) != Acad::eOk || raw == nullptr) return;
        std::unique_ptr<AcDbBlockTableRecordIterator> entities(raw);
        std::vector<AcDbObjectId> ids;
        for (; !entities->done(); entities->step()) {
            AcDbObjectId id;
            if (entities->getEntityId(id) == Acad::eOk) ids.push_back(id);
        }
        entities.reset();
        block.close();
        for (AcDbObjectId id : ids) gather_entity(id, placement);
    }

private:
    void gather_entity(AcDbObjectId id, const Placement& placement) {
        AcDbEntityPointer entity(id, AcDb::kForRead);
        if (entity.openStatus() != Acad::eOk || !layer_shown(entity->layerId())) return;
        const int colour = colour_index(*entity, placement);
        if (auto* reference = AcDbBlockReference::cast(entity.object())) {
            Placement inner{placement.transform * reference->blockTransform(), colour,
                            placement.depth + 1};
            const AcDbObjectId block_id = reference->blockTableRecord();
            std::vector<AcDbObjectId> attributes = reference->attributeIds();
            entity.close();
            gather_block(block_id, inner);
            for (AcDbObjectId attribute : attributes) gather_entity(attribute, placement);
            return;
        }
        if (!text_shown(*entity, placement)) return;
        const Rgb rgb = colour_of_index(colour);
        if (auto* line = AcDbLine::cast(entity.object())) {
            add_stroke({line->startPoint(), line->endPoint()}, 0.0, rgb, placement);
        } else if (auto* arc = AcDbArc::cast(entity.object())) {
            add_arc(*arc, rgb, placement);
        } else if (auto* polyline = AcDbPolyline::cast(entity.object())) {
            add_polyline(*polyline, rgb, placement);
        } else if (auto* text = AcDbText::cast(entity.object())) {
            add_text(*text, rgb, placement);
        } else if (auto* member = KORVLinear_structural_member::cast(entity.object())) {
            // Members as their axes: a column seen from above is a dot.
            add_stroke({member->get_start_point(false), member->get_end_point(false)}, 0.0, rgb,
                       placement);
        }
    }

    // As the host shows them: an attribute definition only in its own block (a reference
    // shows its attributes instead, or the definition's text when it is constant), and
    // no invisible attribute.
    static bool text_shown(const AcDbEntity& entity, const Placement& placement) {
        if (auto* definition = AcDbAttributeDefinition::cast(&entity))
            return !definition->isInvisible() && (placement.depth == 0 || definition->isConstant());
        if (auto* attribute = AcDbAttribute::cast(&entity)) return !attribute->isInvisible();
        return true;
    }

    bool layer_shown(AcDbObjectId layer_id) {
        AcDbLayerTableRecordPointer layer(layer_id, AcDb::kForRead);
        if (layer.openStatus() != Acad::eOk) return true;
        return !layer->isFrozen() && !layer->isOff();
    }

    int layer_colour(AcDbObjectId layer_id) {
        AcDbLayerTableRecordPointer layer(layer_id, AcDb::kForRead);
        return layer.openStatus() == Acad::eOk ? layer->colorIndex() : 7;
    }

    int colour_index(const AcDbEntity& entity, const Placement& placement) {
        const int index = entity.colorIndex();
        if (index == kByLayer) return layer_colour(entity.layerId());
        if (index == kByBlock) return placement.block_colour;
        return index;
    }

    void add_stroke(std::vector<AcGePoint3d> points, double width, const Rgb& rgb,
                    const Placement& placement) {
        for (AcGePoint3d& point : points) point.transformBy(placement.transform);
        // Widths scale with the block: measure one unit along the transformed x axis.
        const double scale = (placement.transform * AcGeVector3d::kXAxis).length();
        scene_.strokes.push_back({std::move(points), width * scale, rgb});
    }

    void add_arc(const AcDbArc& arc, const Rgb& rgb, const Placement& placement) {
        double sweep = arc.endAngle() - arc.startAngle();
        while (sweep <= 0) sweep += 2 * std::numbers::pi;
        const int steps = std::max(2, static_cast<int>(std::ceil(sweep / kArcStep)));
        std::vector<AcGePoint3d> points;
        for (int step = 0; step <= steps; ++step) {
            const double angle = arc.startAngle() + sweep * step / steps;
            points.emplace_back(arc.center().x + arc.radius() * std::cos(angle),
                                arc.center().y + arc.radius() * std::sin(angle), arc.center().z);
        }
        add_stroke(std::move(points), 0.0, rgb, placement);
    }

    // One stroke per segment, so that each keeps its own width.
    void add_polyline(const AcDbPolyline& polyline, const Rgb& rgb, const Placement& placement) {
        const unsigned count = polyline.numVerts();
        const unsigned segments = polyline.isClosed() ? count : (count == 0 ? 0 : count - 1);
        for (unsigned index = 0; index < segments; ++index) {
            AcGePoint3d from, to;
            double bulge = 0, start_width = 0, end_width = 0;
            polyline.getPointAt(index, from);
            polyline.getPointAt((index + 1) % count, to);
            polyline.getBulgeAt(index, bulge);
            polyline.getWidthsAt(index, start_width, end_width);
            add_stroke(bulge_points(from, to, bulge), (start_width + end_width) / 2, rgb,
                       placement);
        }
    }

    // The segment from `from` to `to` with that bulge, flattened in the x-y plane.
    static std::vector<AcGePoint3d> bulge_points(const AcGePoint3d& from, const AcGePoint3d& to,
                                                 double bulge) {
        if (std::abs(bulge) < 1e-12) return {from, to};
        const double included = 4 * std::atan(bulge);
        const double chord = std::hypot(to.x - from.x, to.y - from.y);
        if (chord < 1e-12) return {from, to};
        const double radius = chord / (2 * std::sin(std::abs(included) / 2));
        // The centre lies on the chord's left normal, (1 - b^2) / 2b half-chords from its
        // middle: left of the travel for a counter-clockwise (positive) bulge.
        const double along = (1 - bulge * bulge) / (2 * bulge) * chord / 2;
        const double cx = (from.x + to.x) / 2 - (to.y - from.y) / chord * along;
        const double cy = (from.y + to.y) / 2 + (to.x - from.x) / chord * along;
        const double start = std::atan2(from.y - cy, from.x - cx);
        const int steps = std::max(2, static_cast<int>(std::ceil(std::abs(included) / kArcStep)));
        std::vector<AcGePoint3d> points;
        for (int step = 0; step <= steps; ++step) {
            const double angle = start + included * step / steps;
            points.emplace_back(cx + radius * std::cos(angle), cy + radius * std::sin(angle),
                                from.z);
        }
        points.back() = to;
        return points;
    }

    void add_text(const AcDbText& text, const Rgb& rgb, const Placement& placement) {
        AcString content;
        if (text.textString(content) != Acad::eOk) return;
        AcGePoint3d at = text.isDefaultAlignment() ? text.position() : text.alignmentPoint();
        at.transformBy(placement.transform);
        const AcGeVector3d x_axis = placement.transform * AcGeVector3d::kXAxis;
        const double scale = x_axis.length();
        const double turn = std::atan2(x_axis.y, x_axis.x);
        scene_.labels.push_back({at, text.height() * scale, text.rotation() + turn,
                                 to_utf8(std::wstring(content.kwszPtr())), rgb});
    }

    Scene& scene_;
};

AcDbObjectId space_block(AcDbDatabase* database, DrawnSpace space, const std::wstring& block_name) {
    AcDbBlockTablePointer table(database, AcDb::kForRead);
    if (table.openStatus() != Acad::eOk)
        throw ToolError(ExitCode::kDrawing, "the drawing's block table cannot be read");
    std::wstring name = block_name;
    if (name.empty()) name = space == DrawnSpace::kModel ? ACDB_MODEL_SPACE : ACDB_PAPER_SPACE;
    AcDbObjectId id;
    if (table->getAt(name.c_str(), id) != Acad::eOk) {
        if (block_name.empty())
            throw ToolError(ExitCode::kDrawing, "the drawing has no " + to_utf8(name));
        throw ToolError(ExitCode::kArgument, "the drawing defines no block " + to_utf8(name));
    }
    return id;
}

struct Frame {
    double min_x = 0, min_y = 0, scale = 1;
    int width = 1, height = 1;
    double margin = 0;
};

// The scene's extents fitted into size pixels on the longer side, with a margin.
Frame fit(const Scene& scene, int size) {
    double min_x = INFINITY, min_y = INFINITY, max_x = -INFINITY, max_y = -INFINITY;
    auto take = [&](const AcGePoint3d& point, double pad) {
        min_x = std::min(min_x, point.x - pad);
        min_y = std::min(min_y, point.y - pad);
        max_x = std::max(max_x, point.x + pad);
        max_y = std::max(max_y, point.y + pad);
    };
    for (const Stroke& stroke : scene.strokes)
        for (const AcGePoint3d& point : stroke.points) take(point, stroke.width / 2);
    for (const Label& label : scene.labels) take(label.position, label.height);
    Frame frame;
    if (min_x > max_x) return frame;  // nothing to draw: an empty page
    const double extent = std::max({max_x - min_x, max_y - min_y, 1e-9});
    frame.margin = size * 0.03;
    frame.scale = (size - 2 * frame.margin) / extent;
    frame.min_x = min_x;
    frame.min_y = min_y;
    frame.width = static_cast<int>(std::ceil((max_x - min_x) * frame.scale + 2 * frame.margin));
    frame.height = static_cast<int>(std::ceil((max_y - min_y) * frame.scale + 2 * frame.margin));
    frame.width = std::max(frame.width, 1);
    frame.height = std::max(frame.height, 1);
    return frame;
}

void paint(cairo_t* cairo, const Scene& scene, const Frame& frame) {
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_paint(cairo);
    // Drawing coordinates have y up; the page has it down.
    auto x_of = [&](const AcGePoint3d& p) {
        return frame.margin + (p.x - frame.min_x) * frame.scale;
    };
    auto y_of = [&](const AcGePoint3d& p) {
        return frame.height - frame.margin - (p.y - frame.min_y) * frame.scale;
    };
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
    for (const Stroke& stroke : scene.strokes) {
        cairo_set_source_rgb(cairo, stroke.colour.red, stroke.colour.green, stroke.colour.blue);
        cairo_set_line_width(cairo, std::max(1.0, stroke.width * frame.scale));
        cairo_move_to(cairo, x_of(stroke.points.front()), y_of(stroke.points.front()));
        double reach = 0;
        for (const AcGePoint3d& point : stroke.points) {
            cairo_line_to(cairo, x_of(point), y_of(point));
            reach = std::max(reach, std::hypot(x_of(point) - x_of(stroke.points.front()),
                                               y_of(point) - y_of(stroke.points.front())));
        }
        if (reach < 2 && stroke.width * frame.scale < 4) {
            // What is seen end-on (a column in plan) still shows, as a dot.
            cairo_new_path(cairo);
            cairo_arc(cairo, x_of(stroke.points.front()), y_of(stroke.points.front()), 3, 0,
                      2 * std::numbers::pi);
            cairo_fill(cairo);
            continue;
        }
        cairo_stroke(cairo);
    }
    cairo_select_font_face(cairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (const Label& label : scene.labels) {
        const double pixels = label.height * frame.scale;
        if (pixels < 0.5 || label.text.empty()) continue;
        cairo_save(cairo);
        cairo_set_source_rgb(cairo, label.colour.red, label.colour.green, label.colour.blue);
        cairo_translate(cairo, x_of(label.position), y_of(label.position));
        cairo_rotate(cairo, -label.rotation);
        // A drawing's text height is its capital height; a font size is about 1.4 of it.
        cairo_set_font_size(cairo, pixels * 1.4);
        cairo_move_to(cairo, 0, 0);
        cairo_show_text(cairo, label.text.c_str());
        cairo_restore(cairo);
    }
}

std::string lower_extension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

void check_written(cairo_status_t status, const std::string& path) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw ToolError(ExitCode::kFile,
                        "cannot write " + path + " (" + cairo_status_to_string(status) + ")");
}

}  // namespace

Rgb colour_of_index(int index) {
    static const Rgb kBasic[] = {{0, 0, 0},       {1, 0, 0},         {1, 1, 0}, {0, 1, 0},
                                 {0, 1, 1},       {0, 0, 1},         {1, 0, 1}, {0, 0, 0},
                                 {0.5, 0.5, 0.5}, {0.75, 0.75, 0.75}};
    if (index >= 1 && index <= 9) return kBasic[index];
    if (index >= 250 && index <= 255) {
        const double grey = 0.2 + 0.16 * (index - 250);
        return {grey, grey, grey};
    }
    if (index < 10 || index > 249) return {0, 0, 0};
    // 10 to 249: 24 hues of 15 degrees, each in five shades, full or half saturation.
    static const double kShade[] = {1.0, 0.65, 0.5, 0.3, 0.15};
    const double hue = (index / 10 - 1) * 15.0;
    const double value = kShade[(index % 10) / 2];
    const double saturation = index % 2 == 0 ? 1.0 : 0.5;
    auto channel = [&](double n) {
        const double k = std::fmod(n + hue / 60.0, 6.0);
        return value - value * saturation * std::max(0.0, std::min({k, 4.0 - k, 1.0}));
    };
    return {channel(5), channel(3), channel(1)};
}

Scene gather_scene(AcDbDatabase* database, DrawnSpace space, const std::wstring& block_name) {
    Scene scene;
    const AcDbObjectId block = space_block(database, space, block_name);
    SceneGatherer(scene).gather_block(block, Placement{});
    return scene;
}

void write_picture(const Scene& scene, const std::string& path, int size) {
    const std::string extension = lower_extension(path);
    const Frame frame = fit(scene, size);
    cairo_surface_t* surface = nullptr;
    if (extension == ".svg") {
        surface = cairo_svg_surface_create(path.c_str(), frame.width, frame.height);
    } else if (extension == ".pdf") {
        surface = cairo_pdf_surface_create(path.c_str(), frame.width, frame.height);
    } else if (extension == ".png") {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.width, frame.height);
    } else {
        throw ToolError(ExitCode::kUsage, "cannot tell the picture's format from " + path +
                                              ": name it .svg, "
                                              ".png or .pdf");
    }
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> owned(surface,
                                                                             cairo_surface_destroy);
    check_written(cairo_surface_status(surface), path);
    cairo_t* cairo = cairo_create(surface);
    paint(cairo, scene, frame);
    const cairo_status_t painted = cairo_status(cairo);
    cairo_destroy(cairo);
    check_written(painted, path);
    if (extension == ".png") check_written(cairo_surface_write_to_png(surface, path.c_str()), path);
    cairo_surface_finish(surface);
    check_written(cairo_surface_status(surface), path);
}

ExitCode run_draw(const DrawOptions& options, std::ostream& out) {
    if (options.size < 16 || options.size > 20000)
        throw ToolError(ExitCode::kUsage, "--size takes 16 to 20000 pixels");
    DrawingSession session(options.drawing);
    const DrawnSpace space = options.space == "paper" ? DrawnSpace::kPaper : DrawnSpace::kModel;
    const Scene scene = gather_scene(session.database(), space, from_utf8(options.block));
    write_picture(scene, options.output, options.size);
    out << "wrote " << options.output << " (" << scene.strokes.size() << " strokes, "
        << scene.labels.size() << " texts)\n";
    return ExitCode::kSuccess;
}

}  // namespace korv_tool
