// Extents boxes and the geometric extents of the host's entities.
//
// Curves are boxed exactly: an arc (or a bulged polyline segment) carried through an affine
// transform is c + cos t * u + sin t * v, whose every world coordinate turns where
// tan t = v_k / u_k, so its box is its end points and those turning points within the sweep.
// A block reference boxes each entity of its block under the block transform that way
// rather than transforming the entity's own box, which would overstate a turned block.
#include <dbents.h>
#include <dbpl.h>
#include <dbsymtb.h>

#include <algorithm>
#include <cmath>

#include "db_drawing.h"
#include "host_state.h"
#include "ocs.h"

using korv_host::peek;

namespace {

constexpr double kTwoPi = 2.0 * M_PI;
constexpr double kFar = 1e20;
// Blocks nest no deeper than this; a block that (wrongly) inserts itself stops here.
constexpr int kMaxNesting = 32;

bool is_empty(const AcDbExtents& box) {
    return box.minPoint().x > box.maxPoint().x;
}

// Adds the curve c + cos t * u + sin t * v for t from start through start + sweep (sweep > 0).
void add_arc(AcDbExtents& box, const AcGePoint3d& c, const AcGeVector3d& u, const AcGeVector3d& v,
             double start, double sweep) {
    auto at = [&](double t) { return c + u * std::cos(t) + v * std::sin(t); };
    box.addPoint(at(start));
    box.addPoint(at(start + sweep));
    for (unsigned k = 0; k < 3; ++k) {
        if (u[k] == 0.0 && v[k] == 0.0) continue;
        const double turn = std::atan2(v[k], u[k]);
        for (double t : {turn, turn + M_PI}) {
            double offset = std::fmod(t - start, kTwoPi);
            if (offset < 0.0) offset += kTwoPi;
            if (offset <= sweep) box.addPoint(at(start + offset));
        }
    }
}

Acad::ErrorStatus line_extents(const AcDbLine& line, const AcGeMatrix3d& xform, AcDbExtents& box) {
    box.addPoint(xform * line.startPoint());
    box.addPoint(xform * line.endPoint());
    return Acad::eOk;
}

Acad::ErrorStatus arc_extents(const AcDbArc& arc, const AcGeMatrix3d& xform, AcDbExtents& box) {
    const korv_host::Ocs ocs(arc.normal());
    double sweep = std::fmod(arc.endAngle() - arc.startAngle(), kTwoPi);
    if (sweep <= 0.0) sweep += kTwoPi;
    add_arc(box, xform * arc.center(), xform * (ocs.x_axis * arc.radius()),
            xform * (ocs.y_axis * arc.radius()), arc.startAngle(), sweep);
    return Acad::eOk;
}

// The character-cell box of a text, placed by its justification.
Acad::ErrorStatus text_extents(const AcDbText& text, const AcGeMatrix3d& xform, AcDbExtents& box) {
    const std::wstring string = text.textStringConst();
    if (string.empty()) return Acad::eInvalidExtents;
    AcGeVector3d along, up;
    korv_host::text_axes(text.normal(), text.rotation(), along, up);
    const double height = text.height();
    double width = static_cast<double>(string.size()) * height * text.widthFactor();
    AcGePoint3d anchor = text.isDefaultAlignment() ? text.position() : text.alignmentPoint();
    double left = 0.0;
    double bottom = 0.0;
    switch (text.horizontalMode()) {
        case AcDb::kTextCenter:
        case AcDb::kTextMid:
            left = -width / 2.0;
            break;
        case AcDb::kTextRight:
            left = -width;
            break;
        case AcDb::kTextAlign:
        case AcDb::kTextFit:
            // Fitted between the two points: the baseline runs from one to the other.
            anchor = text.position();
            width = (text.alignmentPoint() - text.position()).dotProduct(along);
            break;
        case AcDb::kTextLeft:
            break;
    }
    if (text.horizontalMode() == AcDb::kTextMid || text.verticalMode() == AcDb::kTextVertMid) {
        bottom = -height / 2.0;
    } else if (text.verticalMode() == AcDb::kTextTop) {
        bottom = -height;
    }
    for (double x : {left, left + width}) {
        for (double y : {bottom, bottom + height})
            box.addPoint(xform * (anchor + along * x + up * y));
    }
    return Acad::eOk;
}

// Wide segments are boxed by their two edges: offset lines, or arcs of the radius less and
// more half the larger of the segment's widths.
Acad::ErrorStatus polyline_extents(const AcDbPolyline& polyline, const AcGeMatrix3d& xform,
                                   AcDbExtents& box) {
    const auto& vertices = polyline.vertices();
    if (vertices.empty()) return Acad::eInvalidExtents;
    const korv_host::Ocs ocs(polyline.normal());
    const double z = polyline.elevation();
    auto world = [&](double x, double y) { return xform * ocs.to_world(AcGePoint3d(x, y, z)); };
    const AcGeVector3d x_axis = xform * ocs.x_axis;
    const AcGeVector3d y_axis = xform * ocs.y_axis;
    const size_t count = vertices.size();
    const size_t segments = polyline.isClosed() ? count : count - 1;
    box.addPoint(world(vertices[0].point.x, vertices[0].point.y));
    for (size_t i = 0; i < segments; ++i) {
        const auto& from = vertices[i];
        const AcGePoint2d p = from.point;
        const AcGePoint2d q = vertices[(i + 1) % count].point;
        const double half = std::max(from.start_width, from.end_width) / 2.0;
        const AcGeVector2d chord = q - p;
        const double length = chord.length();
        if (length == 0.0) continue;
        const AcGeVector2d left(-chord.y / length, chord.x / length);
        if (from.bulge == 0.0) {
            for (double side : {-half, half}) {
                const AcGeVector2d shift = left * side;
                box.addPoint(world(p.x + shift.x, p.y + shift.y));
                box.addPoint(world(q.x + shift.x, q.y + shift.y));
            }
            continue;
        }
        const double b = from.bulge;
        const AcGePoint2d middle(p.x + chord.x / 2.0, p.y + chord.y / 2.0);
        const AcGePoint2d center = middle + left * (length / 2.0 * (1.0 - b * b) / (2.0 * b));
        const double radius = center.distanceTo(p);
        const double sweep = 4.0 * std::atan(std::fabs(b));
        // Counter-clockwise from p for a positive bulge; a negative one runs the same arc
        // counter-clockwise from q.
        const AcGePoint2d first = b > 0.0 ? p : q;
        const double start = std::atan2(first.y - center.y, first.x - center.x);
        for (double r : {radius - half, radius + half}) {
            if (r <= 0.0) {
                box.addPoint(world(center.x, center.y));
                continue;
            }
            add_arc(box, world(center.x, center.y), x_axis * r, y_axis * r, start, sweep);
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus extents_at(const AcDbEntity* entity, const AcGeMatrix3d& xform, AcDbExtents& box,
                             int depth);

// The record whose entities a reference of `record` draws: for a resolved external
// reference, the model space of the referenced drawing.
const AcDbBlockTableRecord* drawn_record(const AcDbBlockTableRecord* record) {
    if (record->xrefStatus() != AcDb::kXrfResolved || record->xrefDatabase() == nullptr) {
        return record;
    }
    auto* table = peek<AcDbBlockTable>(record->xrefDatabase()->blockTableId());
    if (table == nullptr) return record;
    for (const AcDbObjectId& id : table->recordIds()) {
        auto* candidate = peek<AcDbBlockTableRecord>(id);
        if (candidate && candidate->nameText() == ACDB_MODEL_SPACE) return candidate;
    }
    return record;
}

Acad::ErrorStatus reference_extents(const AcDbBlockReference& reference, const AcGeMatrix3d& xform,
                                    AcDbExtents& box, int depth) {
    if (depth >= kMaxNesting) return Acad::eInvalidExtents;
    auto* record = peek<AcDbBlockTableRecord>(reference.blockTableRecord());
    if (record == nullptr) return Acad::eInvalidExtents;
    const AcGeMatrix3d inner = xform * reference.blockTransform();
    for (const AcDbObjectId& id : drawn_record(record)->entityIds()) {
        auto* entity = peek<AcDbEntity>(id);
        if (entity == nullptr || entity->isErased()) continue;
        // An insert shows its block's constant definitions; the others become attributes.
        auto* definition = AcDbAttributeDefinition::cast(entity);
        if (definition != nullptr && !definition->isConstant()) continue;
        AcDbExtents part;
        if (extents_at(entity, inner, part, depth + 1) == Acad::eOk) box.addExt(part);
    }
    for (const AcDbObjectId& id : reference.attributeIds()) {
        auto* attribute = peek<AcDbAttribute>(id);
        if (attribute == nullptr || attribute->isErased() || attribute->isInvisible()) continue;
        AcDbExtents part;
        if (extents_at(attribute, xform, part, depth + 1) == Acad::eOk) box.addExt(part);
    }
    return is_empty(box) ? Acad::eInvalidExtents : Acad::eOk;
}

// The host's own drawing of the entity, by the most derived host class it is.
Acad::ErrorStatus host_extents(const AcDbEntity* entity, const AcGeMatrix3d& xform,
                               AcDbExtents& box, int depth) {
    if (auto* text = AcDbText::cast(entity)) return text_extents(*text, xform, box);
    if (auto* polyline = AcDbPolyline::cast(entity)) return polyline_extents(*polyline, xform, box);
    if (auto* line = AcDbLine::cast(entity)) return line_extents(*line, xform, box);
    if (auto* arc = AcDbArc::cast(entity)) return arc_extents(*arc, xform, box);
    if (auto* reference = AcDbBlockReference::cast(entity)) {
        return reference_extents(*reference, xform, box, depth);
    }
    return Acad::eInvalidExtents;
}

bool is_host_class(const AcRxClass* cls) {
    for (const AcRxClass* own :
         {AcDbLine::desc(), AcDbArc::desc(), AcDbText::desc(), AcDbAttribute::desc(),
          AcDbAttributeDefinition::desc(), AcDbPolyline::desc(), AcDbBlockReference::desc()}) {
        if (cls == own) return true;
    }
    return false;
}

// An entity met inside a block. A class of another library answers through its own
// getGeomExtents (opened for read meanwhile, as the host would open it), boxed under the
// transform; a class that cannot be opened now is left out.
Acad::ErrorStatus extents_at(const AcDbEntity* entity, const AcGeMatrix3d& xform, AcDbExtents& box,
                             int depth) {
    if (is_host_class(entity->isA())) return host_extents(entity, xform, box, depth);
    auto* object = const_cast<AcDbEntity*>(entity);
    if (korv_host::ObjectAccess::open(object, AcDb::kForRead) != Acad::eOk) {
        return Acad::eInvalidExtents;
    }
    Acad::ErrorStatus es = entity->getGeomExtents(box);
    object->close();
    if (es == Acad::eOk) box.transformBy(xform);
    return es;
}

}  // namespace

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents box;
    Acad::ErrorStatus es = host_extents(this, AcGeMatrix3d::kIdentity, box, 0);
    if (es == Acad::eOk) extents = box;
    return es;
}

// ----- extents boxes -----------------------------------------------------------------------------

AcDbExtents::AcDbExtents() : mMin(kFar, kFar, kFar), mMax(-kFar, -kFar, -kFar) {}

AcDbExtents::AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : mMin(min), mMax(max) {}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
    if (min.x > max.x || min.y > max.y || min.z > max.z) return Acad::eInvalidExtents;
    mMin = min;
    mMax = max;
    return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& pt) {
    for (unsigned k = 0; k < 3; ++k) {
        mMin[k] = std::min(mMin[k], pt[k]);
        mMax[k] = std::max(mMax[k], pt[k]);
    }
}

void AcDbExtents::addExt(const AcDbExtents& src) {
    if (is_empty(src)) return;
    addPoint(src.mMin);
    addPoint(src.mMax);
}

Acad::ErrorStatus AcDbExtents::expandBy(const AcGeVector3d& vec) {
    if (is_empty(*this)) return Acad::eInvalidExtents;
    for (unsigned k = 0; k < 3; ++k) (vec[k] > 0.0 ? mMax[k] : mMin[k]) += vec[k];
    return Acad::eOk;
}

void AcDbExtents::transformBy(const AcGeMatrix3d& mat) {
    if (is_empty(*this)) return;
    AcDbExtents moved;
    for (double x : {mMin.x, mMax.x}) {
        for (double y : {mMin.y, mMax.y}) {
            for (double z : {mMin.z, mMax.z}) moved.addPoint(mat * AcGePoint3d(x, y, z));
        }
    }
    *this = moved;
}
