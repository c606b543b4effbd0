// Column rebar diagrams: the tie pattern primitives and block layouts, the legend reactors
// and the placement of a diagram in paper space.
#include "StdAfx.h"

#include "column_rebar_diagram.h"

#include <cmath>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <sstream>

#include "KORVInventory.h"
#include "database_inv.h"

namespace {

const double kPi = 3.14159265358979323846;
// Bulges of clockwise-positive arcs by included angle: 90°, 135° and 157.5°.
const double kBulge90 = 0.41421356237309503;
const double kBulge135 = 0.6681786379192989;
const double kBulge157 = 0.8206787908286602;
const wchar_t kTiePatternPrefix[] = L"KORV_TIE_PATTERN_";
const size_t kTiePatternPrefixLength = 17;

// A database object the code holds open: closed when the holder goes, or deleted when it
// never became resident (its append failed).
class Held_object {
public:
    explicit Held_object(AcDbObject* object) : m_object(object) {}
    ~Held_object() {
        if (m_object == nullptr) return;
        if (m_object->objectId().isNull()) {
            delete m_object;
        } else {
            m_object->close();
        }
    }
    Held_object(const Held_object&) = delete;
    Held_object& operator=(const Held_object&) = delete;

private:
    AcDbObject* m_object;
};

// A new polyline through the points, with bulges[i] from vertex i to the next (zero ones
// left as added), normal +Z, open or closed, in the drawn properties of reinforcement.
AcDbPolyline* make_rebar_polyline(const std::vector<AcGePoint2d>& points,
                                  const std::vector<double>& bulges, bool closed) {
    std::unique_ptr<AcDbPolyline> polyline(
        new AcDbPolyline(static_cast<unsigned int>(points.size())));
    for (size_t i = 0; i < points.size(); ++i) {
        polyline->addVertexAt(static_cast<unsigned int>(i), points[i], 0.0, -1.0, -1.0);
    }
    for (size_t i = 0; i < bulges.size() && i < points.size(); ++i) {
        if (bulges[i] != 0.0) polyline->setBulgeAt(static_cast<unsigned int>(i), bulges[i]);
    }
    polyline->setNormal(AcGeVector3d::kZAxis);
    polyline->setClosed(closed ? Adesk::kTrue : Adesk::kFalse);
    apply_rebar_drawing_properties(polyline.get());
    return polyline.release();
}

// Bulges of a cross-tie: at vertex 1 and vertex 3 the 90° or the 157.5° hook, by alternate.
std::vector<double> cross_tie_bulges(double sigma, bool alternate) {
    return {0.0, sigma * (alternate ? kBulge90 : kBulge157),
            0.0, sigma * (alternate ? kBulge157 : kBulge90),
            0.0, 0.0};
}

// Appends the entity to the definition being filled and lets it go.
void append_to(AcDbBlockTableRecord* record, AcDbEntity* entity) {
    if (record->appendAcDbEntity(entity) != Acad::eOk) {
        delete entity;
        return;
    }
    entity->close();
}

// Registers the filled definition and closes it; the null id (the definition deleted) when
// the library cannot register it.
AcDbObjectId register_definition(std::unique_ptr<AcDbBlockTableRecord> record) {
    const AcDbObjectId id = KORVadd_block_to_table(record.get());
    if (!id.isNull()) record.release()->close();
    return id;
}

std::unique_ptr<AcDbBlockTableRecord> new_definition(int first_count, int second_count,
                                                     bool is_circular, int tie_legs_x,
                                                     int tie_legs_y) {
    std::unique_ptr<AcDbBlockTableRecord> record(new AcDbBlockTableRecord());
    record->setName(
        make_tie_pattern_block_name(first_count, second_count, is_circular, tie_legs_x, tie_legs_y)
            .c_str());
    return record;
}

// The positions along one face that get a cross-tie (entries 0 and last: the hoop sides).
// When the face has intermediate bars and the even tie spacing is wider than the bars', the
// ties go on bars the library chooses; otherwise every position of the even spacing, or
// none with two legs or fewer. `spacing` is set to the spacing used.
std::vector<bool> tie_flags(int face_bars, int tie_legs, double bar_spacing, double tie_spacing,
                            bool has_intermediate_bars, double& spacing) {
    spacing = tie_spacing;
    if (has_intermediate_bars && tie_spacing > bar_spacing) {
        spacing = bar_spacing;
        std::vector<bool> flags(static_cast<size_t>(face_bars), false);
        KORVConcrete_column_reinforcement::set_tie_location_indices(tie_legs, face_bars, flags);
        return flags;
    }
    if (tie_legs - 2 > 0) return std::vector<bool>(static_cast<size_t>(tie_legs), true);
    return std::vector<bool>();
}

// The chord ties of a circular section along one direction: legs − 2 chords at equal steps
// of π/(legs − 1) on the bar circle, in pairs symmetric about the centre. draw(angle,
// alternate, pair) appends the k-th pair, angle being k steps; with an odd count the last
// "pair" is the one chord on the diameter (pair false). Both chords of a pair share
// `alternate`; the next pair inverts it.
template <class Draw>
void for_each_chord_pair(int tie_legs, Draw draw) {
    const int chords = tie_legs - 2;
    const double step = chords > 0 ? kPi / (chords + 1) : 0.0;
    bool alternate = true;
    for (int k = 1; k <= (chords + 1) / 2; ++k) {
        draw(k * step, alternate, !(chords % 2 == 1 && k == (chords + 1) / 2));
        alternate = !alternate;
    }
}

bool is_tie_pattern_name(const std::wstring& name) {
    if (name.size() < kTiePatternPrefixLength) return false;
    for (size_t i = 0; i < kTiePatternPrefixLength; ++i) {
        if (std::towupper(name[i]) != static_cast<wint_t>(kTiePatternPrefix[i])) return false;
    }
    return true;
}

}  // namespace

// ----- sizes and names -----------------------------------------------------------------------

Tie_pattern_sizes tie_pattern_sizes(double aspect_ratio) {
    Tie_pattern_sizes sizes;
    sizes.W = KORVConcrete_column_schedule::get_drawn_rebar_block_width();
    sizes.c = KORVConcrete_column_schedule::get_drawn_corner_radius();
    sizes.d = KORVConcrete_column_schedule::get_drawn_rebar_diameter();
    sizes.L = KORVConcrete_column_schedule::get_rebar_block_legend_offset_y();
    sizes.X = aspect_ratio < 1.0 ? sizes.W : sizes.W * aspect_ratio;
    sizes.Y = aspect_ratio > 1.0 ? sizes.W : sizes.W / aspect_ratio;
    return sizes;
}

std::wstring make_tie_pattern_block_name(int first_count, int second_count, bool is_circular,
                                         int tie_legs_x, int tie_legs_y) {
    std::wostringstream name;
    name << kTiePatternPrefix << first_count;
    if (is_circular) name << L"CIRC_";
    if (second_count != 0) name << L"_" << second_count;
    name << L"_" << tie_legs_x << L"_" << tie_legs_y;
    return name.str();
}

// ----- primitives ----------------------------------------------------------------------------

void apply_rebar_drawing_properties(AcDbEntity* entity) {
    const std::wstring layer = KORVConcrete_column_reinforcement::get_layer_name();
    if (!layer.empty()) entity->setLayer(layer.c_str(), Adesk::kTrue, false);
    const int color = KORVSlab_or_wall_reinforcement::get_rebars_two_d_color();
    if (color != 256) entity->setColorIndex(static_cast<Adesk::UInt16>(color), Adesk::kTrue);
    const AcDb::LineWeight lineweight =
        KORVSlab_or_wall_reinforcement::get_rebars_two_d_lineweight();
    if (lineweight != AcDb::kLnWtByLayer) entity->setLineWeight(lineweight, Adesk::kTrue);
}

AcDbPolyline* create_rebar_dot(const AcGePoint3d& centre) {
    const Tie_pattern_sizes sizes = tie_pattern_sizes(1.0);
    return KORVcreate_donut(centre, 0.5 * sizes.d, AcGeVector3d::kZAxis,
                            KORVConcrete_column_reinforcement::get_layer_name(),
                            KORVSlab_or_wall_reinforcement::get_rebars_two_d_color(),
                            KORVSlab_or_wall_reinforcement::get_rebars_two_d_lineweight());
}

AcDbPolyline* create_rectangular_hoop(double aspect_ratio) {
    const Tie_pattern_sizes sizes = tie_pattern_sizes(aspect_ratio);
    const double c = sizes.c, s = std::sqrt(2.0) / 2.0;
    const double left = -sizes.X / 2.0 + c, right = sizes.X / 2.0 - c;
    const double top = sizes.Y / 2.0 - c, bottom = -sizes.Y / 2.0 + c;
    const std::vector<AcGePoint2d> points = {
        {left - s * c + 2.0 * c, top - s * c - 2.0 * c},
        {left - s * c, top - s * c},
        {left, top + c},
        {right, top + c},
        {right + c, top},
        {right + c, bottom},
        {right, bottom - c},
        {left, bottom - c},
        {left - c, bottom},
        {left - c, top},
        {left + s * c, top + s * c},
        {left + s * c + 2.0 * c, top + s * c - 2.0 * c},
    };
    const std::vector<double> bulges = {0.0, -kBulge135, 0.0, -kBulge90,  0.0, -kBulge90,
                                        0.0, -kBulge90,  0.0, -kBulge135, 0.0, 0.0};
    return make_rebar_polyline(points, bulges, false);
}

AcDbPolyline* create_circular_hoop() {
    const double radius = tie_pattern_sizes(1.0).W / 2.0;
    return make_rebar_polyline({{radius, 0.0}, {-radius, 0.0}}, {1.0, 1.0}, true);
}

AcDbPolyline* create_horizontal_cross_tie(double aspect_ratio, const AcGePoint2d& start,
                                          const AcGePoint2d& end, bool alternate, bool side) {
    const double c = tie_pattern_sizes(aspect_ratio).c;
    const double sigma = side ? 1.0 : -1.0;
    std::vector<AcGePoint2d> points(6);
    if (alternate) {
        points[0] = AcGePoint2d(start.x - 1.25 * c, start.y + 2.0 * sigma * c);
        points[1] = AcGePoint2d(start.x - 1.25 * c, start.y);
    } else {
        points[1] = KORVpolar(start, 5.0 * sigma * kPi / 8.0, c);
        points[0] = KORVpolar(points[1], sigma * kPi / 8.0, c);
    }
    points[2] = AcGePoint2d(start.x, start.y - sigma * c);
    points[3] = AcGePoint2d(end.x, end.y - sigma * c);
    if (alternate) {
        points[4] = KORVpolar(end, 3.0 * sigma * kPi / 8.0, c);
        points[5] = KORVpolar(points[4], 7.0 * sigma * kPi / 8.0, c);
    } else {
        points[4] = AcGePoint2d(end.x + 1.25 * c, end.y);
        points[5] = AcGePoint2d(end.x + 1.25 * c, end.y + 2.0 * sigma * c);
    }
    return make_rebar_polyline(points, cross_tie_bulges(sigma, alternate), false);
}

AcDbPolyline* create_vertical_cross_tie(double aspect_ratio, const AcGePoint2d& start,
                                        const AcGePoint2d& end, bool alternate, bool side) {
    const double c = tie_pattern_sizes(aspect_ratio).c;
    const double sigma = side ? 1.0 : -1.0;
    std::vector<AcGePoint2d> points(6);
    if (alternate) {
        points[0] = AcGePoint2d(start.x - 2.0 * sigma * c, start.y - 1.25 * c);
        points[1] = AcGePoint2d(start.x, start.y - 1.25 * c);
    } else {
        points[1] = KORVpolar(start, side ? -7.0 * kPi / 8.0 : -kPi / 8.0, c);
        points[0] = KORVpolar(points[1], side ? 5.0 * kPi / 8.0 : 3.0 * kPi / 8.0, c);
    }
    points[2] = AcGePoint2d(start.x + sigma * c, start.y);
    points[3] = AcGePoint2d(end.x + sigma * c, end.y);
    if (alternate) {
        points[4] = KORVpolar(end, side ? 7.0 * kPi / 8.0 : kPi / 8.0, c);
        points[5] = KORVpolar(points[4], side ? -5.0 * kPi / 8.0 : -3.0 * kPi / 8.0, c);
    } else {
        points[4] = AcGePoint2d(end.x, end.y + 1.25 * c);
        points[5] = AcGePoint2d(end.x - 2.0 * sigma * c, end.y + 1.25 * c);
    }
    return make_rebar_polyline(points, cross_tie_bulges(sigma, alternate), false);
}

AcDbAttributeDefinition* create_tie_pattern_legend(double aspect_ratio, AcDbObjectId text_style_id,
                                                   double text_height) {
    const Tie_pattern_sizes sizes = tie_pattern_sizes(aspect_ratio);
    const AcGePoint3d position(0.0, sizes.Y / 2.0 + sizes.L, 0.0);
    auto* legend = new AcDbAttributeDefinition(position, L"1", L"Type", L"Type", text_style_id);
    legend->setHeight(text_height);
    legend->setHorizontalMode(AcDb::kTextCenter);
    legend->setVerticalMode(AcDb::kTextBottom);
    legend->setAlignmentPoint(position);
    return legend;
}

// ----- layouts ---------------------------------------------------------------------------------

AcDbObjectId create_rectangular_tie_pattern_block(double aspect_ratio, int bars_x, int bars_y,
                                                  int tie_legs_x, int tie_legs_y,
                                                  AcDbObjectId text_style_id, double text_height) {
    std::unique_ptr<AcDbBlockTableRecord> record =
        new_definition(bars_x, bars_y, false, tie_legs_x, tie_legs_y);
    const Tie_pattern_sizes sizes = tie_pattern_sizes(aspect_ratio);
    const double c = sizes.c, X = sizes.X, Y = sizes.Y;
    append_to(record.get(), create_rectangular_hoop(aspect_ratio));

    const double dx = (X - 2.0 * c) / (bars_x - 1);
    const double dy = (Y - 2.0 * c) / (bars_y + 1);
    AcGePoint3d top(-X / 2.0 + c, Y / 2.0 - c, 0.0), bottom(-X / 2.0 + c, -Y / 2.0 + c, 0.0);
    for (int i = 0; i < bars_x; ++i) {
        append_to(record.get(), create_rebar_dot(top));
        append_to(record.get(), create_rebar_dot(bottom));
        top.x += dx;
        bottom.x += dx;
    }
    AcGePoint3d left(-X / 2.0 + c, -Y / 2.0 + c + dy, 0.0),
        right(X / 2.0 - c, -Y / 2.0 + c + dy, 0.0);
    for (int i = 0; i < bars_y; ++i) {
        append_to(record.get(), create_rebar_dot(left));
        append_to(record.get(), create_rebar_dot(right));
        left.y += dy;
        right.y += dy;
    }

    // Horizontal cross-ties, bottom up: below their bar line in the lower half.
    double spacing = 0.0;
    std::vector<bool> flags = tie_flags(bars_y + 2, tie_legs_y, dy,
                                        (Y - 2.0 * c) / (tie_legs_y - 1), bars_y > 0, spacing);
    int n = static_cast<int>(flags.size());
    AcGePoint2d p(-X / 2.0 + c, -Y / 2.0 + c + spacing), q(X / 2.0 - c, -Y / 2.0 + c + spacing);
    bool alternate = true;
    for (int k = 1; k <= n - 2; ++k) {
        if (flags[static_cast<size_t>(k)]) {
            append_to(record.get(),
                      create_horizontal_cross_tie(aspect_ratio, p, q, alternate, k + 1 <= n / 2));
            alternate = !alternate;
        }
        p.y += spacing;
        q.y += spacing;
    }

    // Vertical cross-ties, left to right: right of their bar line in the right half.
    flags =
        tie_flags(bars_x, tie_legs_x, dx, (X - 2.0 * c) / (tie_legs_x - 1), bars_x > 2, spacing);
    n = static_cast<int>(flags.size());
    p = AcGePoint2d(-X / 2.0 + c + spacing, -Y / 2.0 + c);
    q = AcGePoint2d(-X / 2.0 + c + spacing, Y / 2.0 - c);
    alternate = true;
    for (int k = 1; k <= n - 2; ++k) {
        if (flags[static_cast<size_t>(k)]) {
            append_to(record.get(),
                      create_vertical_cross_tie(aspect_ratio, p, q, alternate, k + 1 > n / 2));
            alternate = !alternate;
        }
        p.x += spacing;
        q.x += spacing;
    }

    append_to(record.get(), create_tie_pattern_legend(aspect_ratio, text_style_id, text_height));
    return register_definition(std::move(record));
}

AcDbObjectId create_circular_tie_pattern_block(int bar_count, int tie_legs_x, int tie_legs_y,
                                               AcDbObjectId text_style_id, double text_height) {
    std::unique_ptr<AcDbBlockTableRecord> record =
        new_definition(bar_count, 0, true, tie_legs_x, tie_legs_y);
    const Tie_pattern_sizes sizes = tie_pattern_sizes(1.0);
    append_to(record.get(), create_circular_hoop());

    const double rc = sizes.W / 2.0 - sizes.d;
    const double step = bar_count > 0 ? 2.0 * kPi / bar_count : 0.0;
    for (int i = 0; i < bar_count; ++i) {
        const double angle = kPi / 2.0 + i * step;
        append_to(record.get(),
                  create_rebar_dot(AcGePoint3d(rc * std::cos(angle), rc * std::sin(angle), 0.0)));
    }

    // Horizontal chords in pairs below and above the centre.
    for_each_chord_pair(tie_legs_y, [&](double angle, bool alternate, bool pair) {
        const double alpha = -kPi / 2.0 + angle, beta = kPi / 2.0 - angle;
        append_to(record.get(),
                  create_horizontal_cross_tie(
                      1.0, AcGePoint2d(-rc * std::cos(alpha), rc * std::sin(alpha)),
                      AcGePoint2d(rc * std::cos(alpha), rc * std::sin(alpha)), alternate, true));
        if (!pair) return;
        append_to(record.get(),
                  create_horizontal_cross_tie(
                      1.0, AcGePoint2d(-rc * std::cos(beta), rc * std::sin(beta)),
                      AcGePoint2d(rc * std::cos(beta), rc * std::sin(beta)), alternate, false));
    });
    // Vertical chords in pairs left and right of the centre.
    for_each_chord_pair(tie_legs_x, [&](double angle, bool alternate, bool pair) {
        const double gamma = kPi - angle, delta = angle;
        append_to(record.get(),
                  create_vertical_cross_tie(
                      1.0, AcGePoint2d(rc * std::cos(gamma), -rc * std::sin(gamma)),
                      AcGePoint2d(rc * std::cos(gamma), rc * std::sin(gamma)), alternate, false));
        if (!pair) return;
        append_to(record.get(),
                  create_vertical_cross_tie(
                      1.0, AcGePoint2d(rc * std::cos(delta), -rc * std::sin(delta)),
                      AcGePoint2d(rc * std::cos(delta), rc * std::sin(delta)), alternate, true));
    });

    append_to(record.get(), create_tie_pattern_legend(1.0, text_style_id, text_height));
    return register_definition(std::move(record));
}

// ----- reactors ----------------------------------------------------------------------------------

void attach_legend_attribute_reactor(AcDbObject* object, AcDbObjectId reactor_target_id) {
    AcDbObjectId xDictId = KORVget_extension_dictionary(object, AcDb::kForWrite);
    _ASSERTE(!xDictId.isNull());
    AcDbObjectPointer<AcDbDictionary> dictionary(xDictId, AcDb::kForWrite);
    Acad::ErrorStatus es = dictionary.openStatus();
    _ASSERTE(es == Acad::eOk);
    if (es != Acad::eOk) return;
    auto* reactor = new KORVTie_pattern_type_reactor(reactor_target_id);
    AcDbObjectId reactor_id;
    es = dictionary->setAt(L"KORVLegend_attribute_reactor", reactor, reactor_id);
    _ASSERTE(es == Acad::eOk);
    if (es != Acad::eOk) {
        delete reactor;
        return;
    }
    object->addPersistentReactor(reactor_id);
    reactor->close();
}

// ----- placement
// -----------------------------------------------------------------------------------

bool find_last_tie_pattern_reference(AcGePoint3d& position, double& ratio) {
    AcDbBlockTableRecord* pBTR = KORVget_the_paper_space(AcDb::kForRead, nullptr);
    _ASSERTE(pBTR);
    if (pBTR == nullptr) return false;
    Held_object paper_space(pBTR);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (pBTR->newIterator(raw_iterator, true, true) != Acad::eOk || raw_iterator == nullptr) {
        delete raw_iterator;
        return false;
    }
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    const double tol = KORVget_database_length_tolerance(nullptr);
    bool found = false;
    AcGePoint3d candidate;
    double candidate_ratio = 1.0;
    for (; !iterator->done(); iterator->step(true, true)) {
        AcDbObjectId entity_id;
        if (iterator->getEntityId(entity_id) != Acad::eOk) continue;
        AcDbObjectPointer<AcDbBlockReference> reference(entity_id, AcDb::kForRead);
        if (reference.openStatus() != Acad::eOk) continue;
        if (!is_tie_pattern_name(get_block_name(reference->blockTableRecord()))) continue;
        double width_over_height = 1.0;
        AcDbExtents extents;
        if (reference->getGeomExtents(extents) == Acad::eOk) {
            width_over_height = (extents.maxPoint().x - extents.minPoint().x) /
                                (extents.maxPoint().y - extents.minPoint().y);
        }
        const AcGePoint3d at = reference->position();
        if (!found || at.y < candidate.y - tol ||
            (std::fabs(at.y - candidate.y) < tol && at.x > candidate.x + 0.01)) {
            found = true;
            candidate = at;
            candidate_ratio = width_over_height;
        }
    }
    if (found) {
        position = candidate;
        ratio = candidate_ratio;
    }
    return found;
}

AcDbObjectId KORVdraw_rebar_block(double placement_value, AcGePoint3d& insert_point,
                                  bool advance_insert_point, const std::wstring& type_text,
                                  double aspect_ratio, int bars_x, int bars_y, bool is_circular,
                                  int tie_legs_x, int tie_legs_y, AcDbObjectId reactor_target_id,
                                  AcDbObjectId text_style_id, double text_height) {
    try {
        if (advance_insert_point) {
            AcGePoint3d last;
            double last_ratio = 1.0;
            if (find_last_tie_pattern_reference(last, last_ratio)) {
                insert_point = last;
                KORVConcrete_column_schedule::increment_tie_pattern_insert_pt(
                    placement_value, insert_point, last_ratio, aspect_ratio);
            } else {
                insert_point = KORVConcrete_column_schedule::
                    increment_table_bottom_left_for_tie_pattern_insert_pt(insert_point,
                                                                          aspect_ratio);
            }
        }

        const int first_count = is_circular ? bars_x + bars_y : bars_x;
        const int second_count = is_circular ? 0 : bars_y;
        const std::wstring name = make_tie_pattern_block_name(first_count, second_count,
                                                              is_circular, tie_legs_x, tie_legs_y);
        AcDbObjectId block_id = get_block_record_id(name.c_str(), nullptr);
        if (block_id.isNull()) {
            block_id =
                is_circular
                    ? create_circular_tie_pattern_block(bars_x + bars_y, tie_legs_x, tie_legs_y,
                                                        text_style_id, text_height)
                    : create_rectangular_tie_pattern_block(aspect_ratio, bars_x, bars_y, tie_legs_x,
                                                           tie_legs_y, text_style_id, text_height);
        }

        AcDbObjectPointer<AcDbBlockTableRecord> definition(block_id, AcDb::kForRead);
        Acad::ErrorStatus es = definition.openStatus();
        _ASSERTE(es == Acad::eOk);
        if (es != Acad::eOk) return block_id;

        auto* reference = new AcDbBlockReference(insert_point, block_id);
        Held_object held_reference(reference);
        const AcGeMatrix3d transform = reference->blockTransform();
        reference->setLayer(KORVColumn_schedule::get_default_layer_id(), Adesk::kTrue, false);
        const AcDbObjectId reference_id = KORVadd_to_paper_space(reference, false, nullptr);
        attach_legend_attribute_reactor(reference, reactor_target_id);

        AcDbBlockTableRecordIterator* pIterator = nullptr;
        definition->newIterator(pIterator, true, true);
        _ASSERTE(pIterator);
        if (pIterator == nullptr) return block_id;
        std::unique_ptr<AcDbBlockTableRecordIterator> iterator(pIterator);
        for (; !iterator->done(); iterator->step(true, true)) {
            AcDbEntity* entity = nullptr;
            if (iterator->getEntity(entity, AcDb::kForRead, false) != Acad::eOk ||
                entity == nullptr) {
                continue;
            }
            Held_object held_entity(entity);
            const AcDbAttributeDefinition* attribute_definition =
                AcDbAttributeDefinition::cast(entity);
            if (attribute_definition == nullptr || attribute_definition->isConstant()) continue;
            auto* attribute = new AcDbAttribute();
            Held_object held_attribute(attribute);
            attribute->setPropertiesFrom(attribute_definition, Adesk::kTrue);
            attribute->setAttributeFromBlock(attribute_definition, transform);
            if (std::wcscmp(attribute_definition->tagConst(), L"Type") == 0) {
                attribute->setTextString(type_text.c_str());
            }
            attribute->setHorizontalMode(attribute_definition->horizontalMode());
            attribute->setVerticalMode(attribute_definition->verticalMode());
            attribute->setAlignmentPoint(attribute_definition->alignmentPoint() +
                                         insert_point.asVector());
            reference->appendAttribute(attribute);
            attach_legend_attribute_reactor(attribute, reactor_target_id);
        }
        return reference_id;
    } catch (...) {
        _ASSERTE(false);
        return AcDbObjectId::kNull;
    }
}
