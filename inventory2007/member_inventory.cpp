// Member inventories: records, inventories, the build from a drawing, the registries and
// the document lifecycle.
#include "StdAfx.h"

#include "member_inventory.h"

#include "grid_line_inventory.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <set>
#include <sstream>

#include "grid_lists.h"
#include "level_inventory.h"
#include "slab_inventory.h"
#include "database_inv.h"
#include "lat_conc_beam_plan_rep_inventory.h"
#include "template.h"

// ----- GUID hash ---------------------------------------------------------------------------

namespace {

uint64_t fnv1a(const unsigned char* bytes, size_t count) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace

size_t Guid_hash::operator()(const GUID& guid) const {
    unsigned char bytes[sizeof(GUID)];
    std::memcpy(bytes, &guid, sizeof(GUID));
    return static_cast<size_t>(fnv1a(bytes, 8) ^ fnv1a(bytes + 8, 8));
}

// ----- records -------------------------------------------------------------------------------

namespace {

std::shared_ptr<const Inventoried_assembly::Context> make_context(
    const std::wstring& file_name, AcDbObjectId reference_id, const AcGeMatrix3d& transform,
    const Inventoried_assembly::Clip& clip) {
    auto context = std::make_shared<Inventoried_assembly::Context>();
    context->file_name = file_name;
    context->reference_id = reference_id;
    context->transform = transform;
    context->clip = clip;
    return context;
}

}  // namespace

Inventoried_assembly::Inventoried_assembly(AcDbObjectId member_id, const std::wstring& file_name,
                                           AcDbObjectId reference_id,
                                           const AcGePoint3d& start_point, const AcDbHandle& handle,
                                           const AcGeMatrix3d& transform, const Clip& clip,
                                           bool is_first_material, bool is_concrete)
    : Inventoried_assembly(member_id, make_context(file_name, reference_id, transform, clip),
                           start_point, handle, is_first_material, is_concrete) {}

Inventoried_assembly::Inventoried_assembly(AcDbObjectId member_id,
                                           std::shared_ptr<const Context> context,
                                           const AcGePoint3d& start_point, const AcDbHandle& handle,
                                           bool is_first_material, bool is_concrete)
    : m_member_id(member_id),
      m_context(std::move(context)),
      m_start_point(start_point),
      m_handle(handle),
      m_is_first_material(is_first_material),
      m_is_concrete(is_concrete) {}

Inventoried_assembly::~Inventoried_assembly() = default;

// ----- record operations ---------------------------------------------------------------------

namespace {

const double kElevationTolerance = 0.0001;

// Opens the record's object for read as a T and asks it; false when it does not open. A
// library exception is reported and answers false.
template <class T, class Question>
bool ask(AcDbObjectId member_id, Question question) {
    try {
        AcDbObjectPointer<T> object(member_id, AcDb::kForRead);
        if (object.openStatus() != Acad::eOk) return false;
        return question(object.object());
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

// A bound v of the current drawing as an elevation of the member's drawing: the point
// (0, 0, v) moved by the transform, measured along the moved Z axis.
double elevation_in_member_drawing(const AcGeMatrix3d& transform, double v) {
    const AcGeVector3d z_axis = transform * AcGeVector3d::kZAxis;
    return z_axis.dotProduct((transform * AcGePoint3d(0.0, 0.0, v)).asVector());
}

// The shared elevation rule: below the upper bound (exclusive, less the tolerance) at
// `bottom`, and above the lower bound (plus the tolerance) at `top`.
bool between_elevations(const AcGeMatrix3d& transform, double bottom, double top, bool has_lower,
                        double lower, bool has_upper, double upper) {
    if (has_upper &&
        elevation_in_member_drawing(transform, upper) - kElevationTolerance <= bottom) {
        return false;
    }
    return !has_lower || top > elevation_in_member_drawing(transform, lower) + kElevationTolerance;
}

AcGeTol length_tolerance_of(const AcDbObject* member) {
    AcGeTol tolerance;
    tolerance.setEqualPoint(KORVget_database_length_tolerance(member->database()));
    return tolerance;
}

}  // namespace

const Inventoried_assembly::Context::Moved_window& Inventoried_assembly::moved_window(
    const AcGePoint3d& corner1, const AcGePoint3d& corner2, const AcGeVector3d& view_direction,
    double depth_1, double depth_2) const {
    Context::Moved_window& w = m_context->window;
    if (w.valid && w.corner1 == corner1 && w.corner2 == corner2 &&
        w.view_direction == view_direction && w.depth_1 == depth_1 && w.depth_2 == depth_2) {
        return w;
    }
    // Corners by the transform, the view direction as a vector (not normalised), and each
    // depth re-measured along the moved direction.
    const AcGeMatrix3d& t = transform();
    w.corner1 = corner1;
    w.corner2 = corner2;
    w.view_direction = view_direction;
    w.depth_1 = depth_1;
    w.depth_2 = depth_2;
    w.moved_corner1 = t * corner1;
    w.moved_corner2 = t * corner2;
    w.moved_view_direction = t * view_direction;
    auto depth = [&](double d) {
        const AcGePoint3d at = t * (AcGePoint3d::kOrigin + view_direction * d);
        return w.moved_view_direction.dotProduct(at.asVector());
    };
    w.moved_depth_1 = depth(depth_1);
    w.moved_depth_2 = depth(depth_2);
    w.horizontal_view = view_direction.isPerpendicularTo(AcGeVector3d::kZAxis);
    w.valid = true;
    return w;
}

bool Inventoried_assembly::is_under_point(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(m_member_id,
                                             [&](KORVLinear_structural_member* member) {
                                                 return member->is_under_point(transform() * point);
                                             });
}

bool Inventoried_assembly::starts_at_point(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            return member->starts_at_point(transform() * point);
        });
}

bool Inventoried_assembly::is_under_brace_point(const AcGePoint3d& point, bool flag) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            return member->is_under_brace_point(transform() * point, flag);
        });
}

bool Inventoried_assembly::is_under_point_inclusive(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            return member->is_under_point_inclusive(transform() * point, true);
        });
}

bool Inventoried_assembly::is_below_point(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(m_member_id,
                                             [&](KORVLinear_structural_member* member) {
                                                 return member->is_below_point(transform() * point);
                                             });
}

bool Inventoried_assembly::is_lateral() const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [](KORVLinear_structural_member* member) { return member->is_lateral(); });
}

bool Inventoried_assembly::is_cantilever() const {
    return false;
}

bool Inventoried_assembly::in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                        bool flag, const AcGeVector3d& view_direction, bool clip_1,
                                        bool clip_2, double depth_1, double depth_2) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            const Context::Moved_window& w =
                moved_window(corner1, corner2, view_direction, depth_1, depth_2);
            if (w.horizontal_view) {
                return member->in_rectangle_horizontal_view(w.moved_corner1, w.moved_corner2, flag,
                                                            w.moved_view_direction, clip_1, clip_2,
                                                            w.moved_depth_1, w.moved_depth_2);
            }
            return member->in_rectangle(w.moved_corner1, w.moved_corner2, flag,
                                        w.moved_view_direction, clip_1, clip_2, w.moved_depth_1,
                                        w.moved_depth_2);
        });
}

bool Inventoried_assembly::in_plane_rectangle(const AcGePoint3d& corner1,
                                              const AcGePoint3d& corner2, bool flag) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            const bool clip_along_z = clip().normal.isParallelTo(AcGeVector3d::kZAxis);
            return member->in_plane_rectangle(transform() * corner1, transform() * corner2, flag,
                                              clip().front_on && clip_along_z, clip().front_depth,
                                              clip().back_on && clip_along_z, clip().back_depth);
        });
}

bool Inventoried_assembly::is_wall_between_elevs(bool has_lower, double lower, bool has_upper,
                                                 double upper) const {
    return ask<KORVWall_3>(m_member_id, [&](KORVWall_3* wall) {
        const double base = wall->get_start_point(true).z;
        const double top =
            base + std::max(wall->get_start_height(false), wall->get_end_height(false));
        return between_elevations(transform(), base, top, has_lower, lower, has_upper, upper);
    });
}

bool Inventoried_assembly::is_brace_between_elevs(bool has_lower, double lower, bool has_upper,
                                                  double upper) const {
    return ask<KORVLinear_structural_member>(m_member_id, [&](KORVLinear_structural_member* brace) {
        AcGePoint3d start, end;
        brace->get_start_point(start);
        brace->get_end_point(end);
        const double top = std::max(start.z, end.z);
        return between_elevations(transform(), top, top, has_lower, lower, has_upper, upper);
    });
}

bool Inventoried_assembly::intersects_segment(const AcGePoint3d& start, const AcGePoint3d& end,
                                              bool exclude_touching) const {
    if (start.isEqualTo(end)) return false;
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            const AcGePoint3d s = transform() * start;
            const AcGePoint3d e = transform() * end;
            const AcGePoint3d a = member->get_start_point(true);
            const AcGePoint3d b = member->get_end_point(true);
            if (a.isEqualTo(b)) return false;
            AcGePoint3d crossing;
            if (!AcGeLineSeg3d(s, e).intersectWith(AcGeLineSeg3d(a, b), crossing)) return false;
            const bool touches = crossing.isEqualTo(s) || crossing.isEqualTo(e) ||
                                 crossing.isEqualTo(a) || crossing.isEqualTo(b);
            return !(exclude_touching && touches);
        });
}

bool Inventoried_assembly::connects_at_point(const AcGePoint3d& point, int& end_index) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            const AcGeTol tolerance = length_tolerance_of(member);
            const AcGePoint3d p = transform() * point;
            AcGePoint3d start;
            member->get_start_point(start);
            if (p.isEqualTo(start, tolerance)) {
                end_index = 0;
                return true;
            }
            AcGePoint3d end;
            member->get_end_point(end);
            if (p.isEqualTo(end, tolerance)) {
                end_index = 1;
                return true;
            }
            return false;
        });
}

bool Inventoried_assembly::get_end_points(AcGePoint3d& start, AcGePoint3d& end) const {
    return ask<KORVLinear_structural_member>(m_member_id,
                                             [&](KORVLinear_structural_member* member) {
                                                 start = member->get_start_point(true);
                                                 end = member->get_end_point(true);
                                                 return true;
                                             });
}

bool Inventoried_assembly::is_column_between_elevs(bool has_lower, double lower, bool has_upper,
                                                   double upper) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* column) {
            const double bottom = column->get_start_point(true).z;
            const double top = column->get_end_point(true).z;
            return between_elevations(transform(), bottom, top, has_lower, lower, has_upper, upper);
        });
}

bool Inventoried_assembly::is_lateral_beam_between_elevs(double lower, bool has_upper,
                                                         double upper) const {
    return ask<KORVLinear_structural_member>(m_member_id, [&](KORVLinear_structural_member* beam) {
        const double lower_bound = elevation_in_member_drawing(transform(), lower);
        const double upper_bound = elevation_in_member_drawing(transform(), upper);
        auto inside = [&](const AcGePoint3d& p) {
            return (!has_upper || upper_bound + kElevationTolerance >= p.z) &&
                   p.z > lower_bound + kElevationTolerance;
        };
        return inside(beam->get_start_point(true)) || inside(beam->get_end_point(true));
    });
}

bool Inventoried_assembly::starts_at_point_within_tolerance(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            return (transform() * point)
                .isEqualTo(member->get_start_point(true), length_tolerance_of(member));
        });
}

bool Inventoried_assembly::ends_at_point_within_tolerance(const AcGePoint3d& point) const {
    return ask<KORVLinear_structural_member>(
        m_member_id, [&](KORVLinear_structural_member* member) {
            return (transform() * point)
                .isEqualTo(member->get_end_point(true), length_tolerance_of(member));
        });
}

// ----- plan rep and rebar config records -----------------------------------------------------

bool KORVconcrete_plan_rep_inventoried_assembly::get_end_points(AcGePoint3d& start,
                                                                AcGePoint3d& end) const {
    return ask<KORVConcrete_lateral_beam_plan_rep>(
        member_id(), [&](KORVConcrete_lateral_beam_plan_rep* plan_rep) {
            AcGeMatrix3d start_frame, end_frame;
            return plan_rep->get_end_points(true, start, end, start_frame, end_frame);
        });
}

bool KORVconcrete_plan_rep_inventoried_assembly::is_brace_between_elevs(bool has_lower,
                                                                        double lower,
                                                                        bool has_upper,
                                                                        double upper) const {
    AcGePoint3d start, end;
    if (!get_end_points(start, end)) return false;
    return between_elevations(transform(), start.z, end.z, has_lower, lower, has_upper, upper);
}

bool KORVconcrete_plan_rep_inventoried_assembly::is_cantilever() const {
    return ask<KORVConcrete_lateral_beam_plan_rep>(
        member_id(), [](KORVConcrete_lateral_beam_plan_rep* plan_rep) {
            return plan_rep->isKindOf(KORVConcrete_lat_cant_beam_plan_rep::desc());
        });
}

bool KORVconcrete_plan_rep_inventoried_assembly::in_rectangle(const AcGePoint3d& corner1,
                                                              const AcGePoint3d& corner2, bool flag,
                                                              const AcGeVector3d& view_direction,
                                                              bool clip_1, bool clip_2,
                                                              double depth_1,
                                                              double depth_2) const {
    return ask<KORVConcrete_lateral_beam_plan_rep>(
        member_id(), [&](KORVConcrete_lateral_beam_plan_rep* plan_rep) {
            const Context::Moved_window& w =
                moved_window(corner1, corner2, view_direction, depth_1, depth_2);
            return plan_rep->in_rectangle(w.moved_corner1, w.moved_corner2, flag,
                                          w.moved_view_direction, clip_1, clip_2, w.moved_depth_1,
                                          w.moved_depth_2);
        });
}

bool KORVWall_rebar_config_inventoried_assembly::get_end_points(AcGePoint3d& start,
                                                                AcGePoint3d& end) const {
    return ask<KORVWall_reinforcement>(member_id(), [&](KORVWall_reinforcement* reinforcement) {
        return reinforcement->get_wall_linear_geometry(start, end);
    });
}

bool KORVWall_rebar_config_inventoried_assembly::in_rectangle(const AcGePoint3d& corner1,
                                                              const AcGePoint3d& corner2, bool flag,
                                                              const AcGeVector3d& view_direction,
                                                              bool clip_1, bool clip_2,
                                                              double depth_1,
                                                              double depth_2) const {
    std::deque<AcDbObjectId> hosts;
    if (!ask<KORVWall_reinforcement>(member_id(), [&](KORVWall_reinforcement* reinforcement) {
            reinforcement->get_hosts_ids(hosts);
            return true;
        })) {
        return false;
    }
    const Context::Moved_window& w =
        moved_window(corner1, corner2, view_direction, depth_1, depth_2);
    bool found = false;
    for (const AcDbObjectId& host_id : hosts) {
        bool opened = false;
        const bool inside =
            ask<KORVLinear_structural_member>(host_id, [&](KORVLinear_structural_member* host) {
                opened = true;
                return host->in_rectangle(w.moved_corner1, w.moved_corner2, flag,
                                          w.moved_view_direction, clip_1, clip_2, w.moved_depth_1,
                                          w.moved_depth_2);
            });
        if (!opened) continue;
        found = true;
        if (!inside) return false;
    }
    return found;
}

// ----- inventories ---------------------------------------------------------------------------

namespace {

constexpr size_t kMostSpareRecordBlocks = 2048;  // 128 MB: the records of 1.5 million members

// The blocks released inventories left for the next; null before the module's statics
// are made and after they are destroyed, when blocks come from and go to the heap.
std::vector<void*>* spare_record_blocks = nullptr;

struct Spare_record_blocks_owner {
    Spare_record_blocks_owner() { spare_record_blocks = new std::vector<void*>(); }
    ~Spare_record_blocks_owner() {
        for (void* block : *spare_record_blocks) ::operator delete(block);
        delete spare_record_blocks;
        spare_record_blocks = nullptr;
    }
    Spare_record_blocks_owner(const Spare_record_blocks_owner&) = delete;
    Spare_record_blocks_owner& operator=(const Spare_record_blocks_owner&) = delete;
} spare_record_blocks_owner;

void* take_record_block() {
    if (spare_record_blocks == nullptr || spare_record_blocks->empty())
        return ::operator new(Record_storage::kBlockSize);
    void* block = spare_record_blocks->back();
    spare_record_blocks->pop_back();
    return block;
}

void give_back_record_block(void* block) {
    if (spare_record_blocks == nullptr || spare_record_blocks->size() >= kMostSpareRecordBlocks) {
        ::operator delete(block);
        return;
    }
    try {
        spare_record_blocks->push_back(block);
    } catch (...) {
        ::operator delete(block);
    }
}

}  // namespace

Record_storage::~Record_storage() {
    for (void* block : m_blocks) give_back_record_block(block);
}

void* Record_storage::allocate(size_t size, size_t alignment) {
    size_t start = (m_used + alignment - 1) / alignment * alignment;
    if (m_blocks.empty() || start + size > kBlockSize) {
        m_blocks.reserve(m_blocks.size() + 1);  // before taking, so that no block is lost
        m_blocks.push_back(take_record_block());
        start = 0;
    }
    m_used = start + size;
    return static_cast<char*>(m_blocks.back()) + start;
}

Member_inventory::Member_inventory(bool collect_plan_reps, bool collect_rebar_configs)
    : m_collect_plan_reps(collect_plan_reps), m_collect_rebar_configs(collect_rebar_configs) {}

Member_inventory::~Member_inventory() {
    m_imported_records.clear();
    for (Inventoried_assembly* record : m_owned) record->~Inventoried_assembly();
}

Record_map::const_iterator Record_map::find(const Record_key& key) const {
    auto found = std::lower_bound(
        m_entries.begin(), m_entries.end(), key,
        [](const value_type& entry, const Record_key& wanted) { return entry.first < wanted; });
    return found != m_entries.end() && found->first == key ? found : m_entries.end();
}

Inventoried_assembly* Record_map::put(const Record_key& key, Inventoried_assembly* record) {
    // Scans file ids in creation order: new keys almost always belong at the end.
    if (m_entries.empty() || m_entries.back().first < key) {
        m_entries.emplace_back(key, record);
        return nullptr;
    }
    auto at = std::lower_bound(
        m_entries.begin(), m_entries.end(), key,
        [](const value_type& entry, const Record_key& wanted) { return entry.first < wanted; });
    if (at != m_entries.end() && at->first == key) {
        Inventoried_assembly* displaced = at->second;
        at->second = record;
        return displaced;
    }
    m_entries.emplace(at, key, record);
    return nullptr;
}

Inventoried_assembly* Record_map::take(const Record_key& key) {
    auto found = find(key);
    if (found == m_entries.end()) return nullptr;
    Inventoried_assembly* record = found->second;
    m_entries.erase(found);
    return record;
}

void Member_inventory::file_record(Inventoried_assembly* record) {
    m_records.put(Record_key(record->member_id(), record->reference_id()), record);
}

void Member_inventory::note_member_number(int number) {
    if (number > m_highest_member_number) m_highest_member_number = number;
}

void Member_inventory::index_guid(const GUID& guid, Inventoried_assembly* record) {
    m_imported_records[guid] = record;
}

void Member_inventory::erase(AcDbObjectId member_id) {
    Inventoried_assembly* record = m_records.take(Record_key(member_id, AcDbObjectId::kNull));
    if (record != nullptr) m_erased_records[member_id] = record;
}

void Member_inventory::restore(AcDbObjectId member_id) {
    auto found = m_erased_records.find(member_id);
    if (found == m_erased_records.end()) return;
    m_records.put(Record_key(member_id, AcDbObjectId::kNull), found->second);
    m_erased_records.erase(found);
}

Inventoried_assembly* Member_inventory::find_imported(const GUID& guid) const {
    auto found = m_imported_records.find(guid);
    return found == m_imported_records.end() ? nullptr : found->second;
}

// ----- building ------------------------------------------------------------------------------

int member_number(const std::wstring& full_name) {
    const size_t last_digit = full_name.find_last_of(L"0123456789");
    if (last_digit == std::wstring::npos) return -1;
    size_t first_digit = last_digit;
    while (first_digit > 0 && full_name[first_digit - 1] >= L'0' &&
           full_name[first_digit - 1] <= L'9') {
        --first_digit;
    }
    // Read as a stream reads an int: the leading digits, the largest int on overflow.
    long long number = 0;
    for (size_t i = first_digit; i <= last_digit; ++i) {
        number = number * 10 + (full_name[i] - L'0');
        if (number > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    }
    return static_cast<int>(number);
}

void add_member(Member_inventory* inventory, KORVLinear_structural_member* a,
                const AcGePoint3d& start_point,
                const std::shared_ptr<const Inventoried_assembly::Context>& context) {
    _ASSERTE(a);
    if (a == nullptr) return;
    AcDbHandle handle;
    a->getAcDbHandle(handle);
    Inventoried_assembly* filed = inventory->add_record<Inventoried_assembly>(
        a->objectId(), context, start_point, handle, a->is_steel(), a->is_concrete());
    inventory->note_member_number(member_number(a->get_full_member_name(false)));
    if (a->get_imported() != 0) {
        std::list<GUID> guids;
        a->get_Vanta_guids(guids);
        for (const GUID& guid : guids) inventory->index_guid(guid, filed);
    }
}

void add_member(Member_inventory* inventory, KORVLinear_structural_member* a,
                const AcGePoint3d& start_point, const std::wstring& file_name,
                AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                const Inventoried_assembly::Clip& clip) {
    add_member(inventory, a, start_point, make_context(file_name, reference_id, transform, clip));
}

namespace {

// What one scanned block contributes to every record made from it.
struct Block_context {
    AcGeMatrix3d placement;  // the member's drawing -> the current drawing
    std::shared_ptr<const Inventoried_assembly::Context> shared;
};

Block_context block_context(AcDbBlockTableRecord* pBlockTableRecord, AcDbBlockReference* reference,
                            AcDbDatabase* database) {
    Block_context context;
    auto shared = std::make_shared<Inventoried_assembly::Context>();
    if (reference != nullptr) {
        const ACHAR* name = nullptr;
        pBlockTableRecord->getName(name);
        shared->file_name = name ? name : L"";
        context.placement = reference->blockTransform();
        shared->transform = context.placement.inverse();
        auto& clip = shared->clip;
        KORVget_clip_depth_values(reference, clip.normal, clip.front_on, clip.front_depth,
                                  clip.back_on, clip.back_depth);
        if (reference->database() == database) shared->reference_id = reference->objectId();
    }
    context.shared = std::move(shared);
    return context;
}

template <class Record>
void add_assembly(Member_inventory* inventory, AcDbEntity* a, const AcGePoint3d& first_point,
                  const std::shared_ptr<const Inventoried_assembly::Context>& context) {
    _ASSERTE(a);
    if (a == nullptr) return;
    AcDbHandle handle;
    a->getAcDbHandle(handle);
    inventory->add_record<Record>(a->objectId(), context, first_point, handle, false, true);
}

void add_plan_rep(Member_inventory* inventory, KORVConcrete_lateral_beam_plan_rep* a,
                  const AcGePoint3d& first_point,
                  const std::shared_ptr<const Inventoried_assembly::Context>& context) {
    add_assembly<KORVconcrete_plan_rep_inventoried_assembly>(inventory, a, first_point, context);
}

void add_rebar_config(Member_inventory* inventory, KORVWall_reinforcement* a,
                      const AcGePoint3d& first_point,
                      const std::shared_ptr<const Inventoried_assembly::Context>& context) {
    add_assembly<KORVWall_rebar_config_inventoried_assembly>(inventory, a, first_point, context);
}

// Files one entity of a scanned block, if the inventory collects its kind.
typedef void (*Entity_scan)(Member_inventory* inventory, KORVMember_test test, AcDbEntity* entity,
                            const Block_context& context);

void scan_entity(Member_inventory* inventory, KORVMember_test test, AcDbEntity* entity,
                 const Block_context& context) {
    if (inventory->collect_plan_reps()) {
        auto* plan_rep = KORVConcrete_lateral_beam_plan_rep::cast(entity);
        if (plan_rep == nullptr) return;
        AcGePoint3d start, end;
        AcGeMatrix3d start_frame, end_frame;
        plan_rep->get_end_points(true, start, end, start_frame, end_frame);
        add_plan_rep(inventory, plan_rep, start, context.shared);
    } else if (inventory->collect_rebar_configs()) {
        auto* reinforcement = KORVWall_reinforcement::cast(entity);
        if (reinforcement == nullptr) return;
        AcGePoint3d first, second;
        if (!reinforcement->get_wall_linear_geometry(first, second)) return;
        add_rebar_config(inventory, reinforcement, first, context.shared);
    } else {
        auto* member = KORVLinear_structural_member::cast(entity);
        if (member == nullptr || test == nullptr || !(member->*test)()) return;
        const AcGePoint3d start = context.placement * member->get_start_point(true);
        add_member(inventory, member, start, context.shared);
    }
}

// A concrete beamline's record: at the origin, neither material.
void scan_beamline(Member_inventory* inventory, KORVMember_test, AcDbEntity* entity,
                   const Block_context& context) {
    auto* beamline = KORVConcrete_beamline::cast(entity);
    if (beamline == nullptr) return;
    AcDbHandle handle;
    beamline->getAcDbHandle(handle);
    inventory->add_record<Inventoried_assembly>(beamline->objectId(), context.shared,
                                                AcGePoint3d::kOrigin, handle, false, false);
}

// The class of the entities a scan files (those of scan_entity's branches): the others are
// passed over by their id's class, without being opened.
const AcRxClass* scanned_class(const Member_inventory* inventory, Entity_scan scan) {
    if (scan == scan_beamline) return KORVConcrete_beamline::desc();
    if (inventory->collect_plan_reps()) return KORVConcrete_lateral_beam_plan_rep::desc();
    if (inventory->collect_rebar_configs()) return KORVWall_reinforcement::desc();
    return KORVLinear_structural_member::desc();
}

bool scan_block(Member_inventory* inventory, KORVMember_test test, Entity_scan scan,
                AcDbBlockTableRecord* pBlockTableRecord, AcDbBlockReference* reference,
                AcDbDatabase* database) {
    _ASSERTE(pBlockTableRecord);
    if (pBlockTableRecord == nullptr) return false;
    const Block_context context = block_context(pBlockTableRecord, reference, database);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    Acad::ErrorStatus es = pBlockTableRecord->newIterator(raw_iterator, true, true);
    _ASSERTE(es == Acad::eOk);
    if (es != Acad::eOk) return false;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    const AcRxClass* scanned = scanned_class(inventory, scan);
    for (; !iterator->done(); iterator->step()) {
        AcDbObjectId entity_id;
        AcDbEntity* raw_entity = nullptr;
        if (iterator->getEntityId(entity_id) != Acad::eOk ||
            !AcRxClass::isDerivedFrom(entity_id.objectClass(), scanned) ||
            iterator->getEntity(raw_entity, AcDb::kForRead, false) != Acad::eOk) {
            continue;
        }
        AcDbEntityPointer entity;
        entity.acquire(raw_entity);
        try {
            scan(inventory, test, entity, context);
        } catch (...) {
            _ASSERTE(false);
        }
    }
    return true;
}

// Scans every insert of the resolved reference, except inserts on frozen layers.
void scan_reference_inserts(Member_inventory* inventory, KORVMember_test test, Entity_scan scan,
                            AcDbBlockTableRecord* record, AcDbDatabase* database) {
    AcDbObjectIdArray reference_ids;
    record->getBlockReferenceIds(reference_ids, true, false);
    for (int i = 0; i < reference_ids.length(); ++i) {
        AcDbObjectPointer<AcDbBlockReference> reference(reference_ids[i], AcDb::kForRead);
        Acad::ErrorStatus es = reference.openStatus();
        _ASSERTE(es == Acad::eOk);
        if (es != Acad::eOk || KORVis_on_frozen_layer(reference)) continue;
        scan_block(inventory, test, scan, record, reference, database);
    }
}

bool scan_references(Member_inventory* inventory, AcDbDatabase* db, KORVMember_test test,
                     Entity_scan scan) {
    _ASSERTE(db);
    if (db == nullptr) return false;
    try {
        AcDbBlockTablePointer block_table(db, AcDb::kForRead);
        if (block_table.openStatus() != Acad::eOk || block_table.object() == nullptr) return false;
        AcDbBlockTableIterator* raw_iterator = nullptr;
        if (block_table->newIterator(raw_iterator, true, true) != Acad::eOk) return false;
        std::unique_ptr<AcDbBlockTableIterator> iterator(raw_iterator);
        for (; !iterator->done(); iterator->step()) {
            AcDbBlockTableRecord* raw_record = nullptr;
            if (iterator->getRecord(raw_record, AcDb::kForRead, false) != Acad::eOk) continue;
            AcDbBlockTableRecordPointer record;
            record.acquire(raw_record);
            if (record->isFromExternalReference() && record->xrefStatus() == AcDb::kXrfResolved) {
                scan_reference_inserts(inventory, test, scan, record, db);
            }
        }
        return true;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

}  // namespace

namespace {

bool build_with(Member_inventory* inventory, AcDbDatabase* database, KORVMember_test test,
                Entity_scan scan, bool include_references) {
    try {
        bool scanned = false;
        {
            AcDbBlockTableRecordPointer model_space(ACDB_MODEL_SPACE, database, AcDb::kForRead);
            if (model_space.openStatus() != Acad::eOk) return false;
            scanned = scan_block(inventory, test, scan, model_space, nullptr, database);
        }
        if (scanned && include_references) {
            return scan_references(inventory, database, test, scan);
        }
        return scanned;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

}  // namespace

bool build(Member_inventory* inventory, AcDbDatabase* database, KORVMember_test test,
           bool include_references) {
    return build_with(inventory, database, test, scan_entity, include_references);
}

bool build_concrete_beamlines(Member_inventory* inventory, AcDbDatabase* database) {
    return build_with(inventory, database, nullptr, scan_beamline, true);
}

void add_plan_rep(Member_inventory* inventory, KORVConcrete_lateral_beam_plan_rep* a,
                  const AcGePoint3d& first_point, const std::wstring& file_name,
                  AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                  const Inventoried_assembly::Clip& clip) {
    add_assembly<KORVconcrete_plan_rep_inventoried_assembly>(
        inventory, a, first_point, make_context(file_name, reference_id, transform, clip));
}

void add_rebar_config(Member_inventory* inventory, KORVWall_reinforcement* a,
                      const AcGePoint3d& first_point, const std::wstring& file_name,
                      AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                      const Inventoried_assembly::Clip& clip) {
    add_assembly<KORVWall_rebar_config_inventoried_assembly>(
        inventory, a, first_point, make_context(file_name, reference_id, transform, clip));
}

// ----- registries ----------------------------------------------------------------------------

const ACHAR* reported_drawing_name(AcDbDatabase* database) {
    const ACHAR* name = nullptr;
    if (database->xrefBlockId().isNull()) {
        database->getFilename(name);
    } else {
        name = database->originalFileName();
    }
    return name;
}

bool is_unnamed_foreign_drawing(AcDbDatabase* database, AcApDocument* document,
                                const std::wstring& drawing_name) {
    return database->xrefBlockId().isNull() && database != document->database() &&
           drawing_name.empty();
}

namespace {

struct Member_registries {
    Member_registry columns;
    Member_registry beams;
    Member_registry braces;
    Member_registry walls;
    Member_registry plan_reps;
    Member_registry rebar_configs;
    Member_registry concrete_beamlines;
};

Member_registries& registries() {
    static Member_registries instance;
    return instance;
}

AcApDocument* last_seen_document = nullptr;

// The drawing's name as the host reports it; checked for every registry but the concrete
// beamline registry's.
std::wstring derived_drawing_name(AcDbDatabase* database, bool check_name) {
    const ACHAR* pDrawingName = reported_drawing_name(database);
    if (check_name) _ASSERTE(pDrawingName);
    return pDrawingName ? pDrawingName : L"";
}

Member_inventory* current_inventory(Member_inventory* (*lookup)(AcDbDatabase*,
                                                                const std::wstring&)) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    _ASSERTE(db);
    if (db == nullptr) return nullptr;
    const ACHAR* drawing_name_ptr = db->originalFileName();
    _ASSERTE(drawing_name_ptr);
    return lookup(db, drawing_name_ptr ? drawing_name_ptr : L"");
}

}  // namespace

namespace {

// The lookup of every registry: the inventory under (current document, drawing name), built
// by build_inventory on first use; a failed build stores nothing.
template <class Build>
Member_inventory* look_up(Member_registry& registry, AcDbDatabase* database,
                          const std::wstring& drawing_name, bool collect_plan_reps,
                          bool collect_rebar_configs, bool check_name, Build build_inventory) {
    if (database == nullptr) database = acdbHostApplicationServices()->workingDatabase();
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (database == nullptr || document == nullptr) return nullptr;
    if (is_unnamed_foreign_drawing(database, document, drawing_name)) return nullptr;
    const std::wstring name =
        drawing_name.empty() ? derived_drawing_name(database, check_name) : drawing_name;
    const Drawing_key key(document, name);
    auto found = registry.find(key);
    if (found != registry.end()) return found->second.get();
    auto inventory = std::make_unique<Member_inventory>(collect_plan_reps, collect_rebar_configs);
    if (!build_inventory(inventory.get(), database)) return nullptr;
    return registry.emplace(key, std::move(inventory)).first->second.get();
}

}  // namespace

Member_inventory* get_member_inventory(Member_registry& registry, AcDbDatabase* database,
                                       const std::wstring& drawing_name, bool collect_plan_reps,
                                       bool collect_rebar_configs, KORVMember_test test) {
    return look_up(registry, database, drawing_name, collect_plan_reps, collect_rebar_configs, true,
                   [test](Member_inventory* inventory, AcDbDatabase* db) {
                       return build(inventory, db, test, true);
                   });
}

Member_inventory* get_column_inventory(AcDbDatabase* database, const std::wstring& drawing_name) {
    return get_member_inventory(registries().columns, database, drawing_name, false, false,
                                &KORVLinear_structural_member::is_column);
}
Member_inventory* get_beam_inventory(AcDbDatabase* database, const std::wstring& drawing_name) {
    return get_member_inventory(registries().beams, database, drawing_name, false, false,
                                &KORVLinear_structural_member::is_beam);
}
Member_inventory* get_brace_inventory(AcDbDatabase* database, const std::wstring& drawing_name) {
    return get_member_inventory(registries().braces, database, drawing_name, false, false,
                                &KORVLinear_structural_member::is_brace);
}
Member_inventory* get_wall_inventory(AcDbDatabase* database, const std::wstring& drawing_name) {
    return get_member_inventory(registries().walls, database, drawing_name, false, false,
                                &KORVLinear_structural_member::is_wall);
}
Member_inventory* get_plan_rep_inventory(AcDbDatabase* database) {
    return get_member_inventory(registries().plan_reps, database, std::wstring(), true, false,
                                nullptr);
}
Member_inventory* get_rebar_config_inventory(AcDbDatabase* database) {
    return get_member_inventory(registries().rebar_configs, database, std::wstring(), false, true,
                                nullptr);
}
Member_inventory* get_concrete_beamline_inventory(AcDbDatabase* database,
                                                  const std::wstring& drawing_name) {
    return look_up(registries().concrete_beamlines, database, drawing_name, false, false, false,
                   build_concrete_beamlines);
}

Member_inventory* current_column_inventory() {
    return current_inventory(get_column_inventory);
}
Member_inventory* current_beam_inventory() {
    return current_inventory(get_beam_inventory);
}
Member_inventory* current_brace_inventory() {
    return current_inventory(get_brace_inventory);
}
Member_inventory* current_wall_inventory() {
    return current_inventory(get_wall_inventory);
}

void drop_member_inventories(AcApDocument* document) {
    auto& all = registries();
    for (Member_registry* registry :
         {&all.columns, &all.beams, &all.braces, &all.walls, &all.plan_reps, &all.rebar_configs,
          &all.concrete_beamlines}) {
        for (auto entry = registry->begin(); entry != registry->end();) {
            entry = entry->first.first == document ? registry->erase(entry) : std::next(entry);
        }
    }
}

// ----- document lifecycle exports ------------------------------------------------------------

bool KORVcur_document_has_changed() {
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr || document == last_seen_document) return false;
    last_seen_document = document;
    return true;
}

void KORVinventory_document_to_be_destroyed(AcApDocument* document) {
    drop_level_inventories(document);
    drop_grid_line_inventories(document);
    drop_member_inventories(document);
    drop_grid_lists(document);
    drop_slab_edge_inventories(document);
    drop_lat_conc_beam_plan_reps(document);
}

// ----- exported calls: shared shapes ---------------------------------------------------------

namespace {

// Runs an exported call's body; an exception that escaped every narrower handler is
// reported and answers false, so none crosses the interface.
template <class Body>
bool guarded(Body body) {
    try {
        return body();
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

typedef std::list<KORVid_and_filename> Result_list;

struct Window {
    AcGePoint3d corner1, corner2;
    bool flag;
    AcGeVector3d view_direction;
    bool clip_1, clip_2;
    double depth_1, depth_2;
};

std::vector<const Inventoried_assembly*> records_in_window(const Member_inventory& inventory,
                                                           const Window& w) {
    std::vector<const Inventoried_assembly*> found;
    for (const auto& entry : inventory.records()) {
        if (entry.second->in_rectangle(w.corner1, w.corner2, w.flag, w.view_direction, w.clip_1,
                                       w.clip_2, w.depth_1, w.depth_2)) {
            found.push_back(entry.second);
        }
    }
    return found;
}

// Every record in the window, with its handle as text.
void append_in_window(const Member_inventory& inventory, const Window& w, Result_list& result) {
    for (const Inventoried_assembly* record : records_in_window(inventory, w)) {
        result.emplace_back(record->member_id(), record->file_name(), record->reference_id(),
                            record->handle());
    }
}

// Every lateral record in the window, without handles.
void append_lateral_in_window(const Member_inventory& inventory, const Window& w,
                              Result_list& result) {
    for (const Inventoried_assembly* record : records_in_window(inventory, w)) {
        if (record->is_lateral()) result.push_back(record->id_and_filename());
    }
}

bool rectangle_query(Member_inventory* inventory, const Window& w, Result_list& result) {
    if (inventory == nullptr) return false;
    append_in_window(*inventory, w, result);
    return true;
}

// Appends the records the test accepts, in inventory order.
template <class Test>
bool append_matching(Member_inventory* inventory, Result_list& result, Test test) {
    if (inventory == nullptr) return false;
    for (const auto& entry : inventory->records()) {
        if (test(*entry.second)) result.push_back(entry.second->id_and_filename());
    }
    return true;
}

}  // namespace

// ----- member maintenance and listing ---------------------------------------------------------

namespace {

bool add_to(Member_inventory* inventory, KORVLinear_structural_member* member) {
    if (inventory == nullptr) return false;
    const AcGePoint3d start = member ? member->get_start_point(true) : AcGePoint3d::kOrigin;
    add_member(inventory, member, start, std::wstring(), AcDbObjectId::kNull,
               AcGeMatrix3d::kIdentity, Inventoried_assembly::Clip());
    return true;
}

bool delete_from(Member_inventory* inventory, AcDbObjectId member_id, bool erasing) {
    if (inventory == nullptr) return false;
    if (erasing) {
        inventory->erase(member_id);
    } else {
        inventory->restore(member_id);
    }
    return true;
}

bool find_imported_in(Member_inventory* inventory, const GUID& guid, KORVid_and_filename& out) {
    if (inventory == nullptr) return false;
    const Inventoried_assembly* record = inventory->find_imported(guid);
    if (record == nullptr) return false;
    out.id = record->member_id();
    out.file_name = record->file_name();
    return true;
}

std::wstring new_name(Member_inventory* inventory, const wchar_t* prefix) {
    if (inventory == nullptr) return prefix;
    std::wostringstream name;
    // Numbers read from names stop at the largest int, so the highest can be that value: the
    // next number is counted in a wider integer and the name reads one past it
    // ("C2147483648"), never a wrapped negative number.
    name << prefix << static_cast<long long>(inventory->highest_member_number()) + 1;
    return name.str();
}

}  // namespace

bool KORVadd_column(KORVLinear_structural_member* member) {
    return guarded([&] { return add_to(current_column_inventory(), member); });
}
bool KORVadd_beam(KORVLinear_structural_member* member) {
    return guarded([&] { return add_to(current_beam_inventory(), member); });
}
bool KORVadd_brace(KORVLinear_structural_member* member) {
    return guarded([&] { return add_to(current_brace_inventory(), member); });
}

bool KORVdelete_column(AcDbObjectId member_id, bool erasing) {
    return guarded([&] { return delete_from(current_column_inventory(), member_id, erasing); });
}
bool KORVdelete_beam(AcDbObjectId member_id, bool erasing) {
    return guarded([&] { return delete_from(current_beam_inventory(), member_id, erasing); });
}
bool KORVdelete_brace(AcDbObjectId member_id) {
    return guarded([&] { return delete_from(current_brace_inventory(), member_id, true); });
}

bool KORVget_imported_column(const GUID& guid, KORVid_and_filename& out) {
    return guarded([&] { return find_imported_in(current_column_inventory(), guid, out); });
}
bool KORVget_imported_beam(const GUID& guid, KORVid_and_filename& out) {
    return guarded([&] { return find_imported_in(current_beam_inventory(), guid, out); });
}
bool KORVget_imported_brace(const GUID& guid, KORVid_and_filename& out) {
    return guarded([&] { return find_imported_in(current_brace_inventory(), guid, out); });
}
bool KORVget_imported_wall(const GUID& guid, KORVid_and_filename& out) {
    return guarded([&] { return find_imported_in(current_wall_inventory(), guid, out); });
}

std::wstring KORVget_new_column_name() {
    try {
        return new_name(current_column_inventory(), L"C");
    } catch (...) {
        _ASSERTE(false);
        return L"C";
    }
}
std::wstring KORVget_new_beam_name() {
    try {
        return new_name(current_beam_inventory(), L"B");
    } catch (...) {
        _ASSERTE(false);
        return L"B";
    }
}
std::wstring KORVget_new_brace_name() {
    try {
        return new_name(current_brace_inventory(), L"BR");
    } catch (...) {
        _ASSERTE(false);
        return L"BR";
    }
}

bool KORVget_columns(std::list<AcDbObjectId>& ids) {
    return guarded([&] {
        Member_inventory* inventory = current_column_inventory();
        if (inventory == nullptr) return false;
        std::set<AcDbObjectId> distinct;
        for (const auto& entry : inventory->records()) distinct.insert(entry.first.first);
        ids.assign(distinct.begin(), distinct.end());
        return true;
    });
}

bool KORVget_columns_in_database(std::list<AcDbObjectId>& ids) {
    return guarded([&] {
        Member_inventory* inventory = current_column_inventory();
        if (inventory == nullptr) return false;
        for (const auto& entry : inventory->records()) {
            if (entry.second->file_name().empty()) ids.push_back(entry.second->member_id());
        }
        return true;
    });
}

bool KORVget_columns_with_filenames(int kind, std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* inventory = current_column_inventory();
        if (inventory == nullptr) return false;
        if (kind == -1) {
            for (const auto& entry : inventory->records()) {
                result.push_back(entry.second->id_and_filename());
            }
        } else if (kind == 0 || kind == 1) {
            std::multimap<AcGePoint3d, KORVid_and_filename, KORVPoint3d_less> by_start;
            for (const auto& entry : inventory->records()) {
                const Inventoried_assembly& record = *entry.second;
                if (kind == 0 ? record.is_first_material() : record.is_concrete()) {
                    by_start.emplace(record.start_point(), record.id_and_filename());
                }
            }
            std::list<AcGePoint3d> start_points;
            get_keys_and_values(by_start, start_points, result);
        } else {
            _ASSERTE(false);
        }
        return true;
    });
}

// ----- region queries --------------------------------------------------------------------------

bool KORVfind_columns_in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                   bool flag, const AcGeVector3d& view_direction, bool clip_1,
                                   bool clip_2, double depth_1, double depth_2,
                                   std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        return rectangle_query(current_column_inventory(), w, result);
    });
}

bool KORVfind_beams_in_rectangle(AcDbDatabase* database, const std::wstring& drawing_name,
                                 const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                                 const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                                 double depth_1, double depth_2,
                                 std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        return rectangle_query(get_beam_inventory(database, drawing_name), w, result);
    });
}

bool KORVfind_braces_in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                                  const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                                  double depth_1, double depth_2,
                                  std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        return rectangle_query(current_brace_inventory(), w, result);
    });
}

bool KORVfind_walls_in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                                 const AcGeVector3d& view_direction, bool clip_1, double depth_1,
                                 double depth_2, AcDbDatabase* database,
                                 const std::wstring& drawing_name,
                                 std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        const Window w{corner1, corner2, flag, view_direction, clip_1, true, depth_1, depth_2};
        return rectangle_query(get_wall_inventory(database, drawing_name), w, result);
    });
}

bool KORVfind_members_in_rectangle(bool all_beams, bool include_walls, bool flag,
                                   const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                   const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                                   double depth_1, double depth_2, AcDbDatabase* database,
                                   const std::wstring& drawing_name,
                                   std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        Member_inventory* col_inventory = get_column_inventory(database, drawing_name);
        _ASSERTE(col_inventory);
        if (col_inventory == nullptr) return false;
        append_in_window(*col_inventory, w, result);
        Member_inventory* beam_inventory = get_beam_inventory(database, drawing_name);
        _ASSERTE(beam_inventory);
        if (beam_inventory == nullptr) return false;
        if (all_beams) {
            append_in_window(*beam_inventory, w, result);
        } else {
            append_lateral_in_window(*beam_inventory, w, result);
        }
        Member_inventory* brace_inventory = get_brace_inventory(database, drawing_name);
        _ASSERTE(brace_inventory);
        if (brace_inventory == nullptr) return false;
        append_in_window(*brace_inventory, w, result);
        if (include_walls) {
            if (Member_inventory* walls = get_wall_inventory(database, drawing_name)) {
                append_in_window(*walls, w, result);
            }
        }
        return true;
    });
}

namespace {

bool plane_rectangle_query(Member_inventory* inventory, const AcGePoint3d& corner1,
                           const AcGePoint3d& corner2, bool flag, Result_list& result) {
    return append_matching(inventory, result, [&](const Inventoried_assembly& record) {
        return record.in_plane_rectangle(corner1, corner2, flag);
    });
}

}  // namespace

bool KORVfind_columns_in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                         std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return plane_rectangle_query(current_column_inventory(), corner1, corner2, true, result);
    });
}

bool KORVfind_beams_in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                       bool flag, std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return plane_rectangle_query(current_beam_inventory(), corner1, corner2, flag, result);
    });
}

bool KORVfind_braces_in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                        std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return plane_rectangle_query(current_brace_inventory(), corner1, corner2, false, result);
    });
}

bool KORVfind_walls_in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                       std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return plane_rectangle_query(current_wall_inventory(), corner1, corner2, true, result);
    });
}

bool KORVfind_beams_intersecting_segment(const AcGePoint3d& start, const AcGePoint3d& end,
                                         bool exclude_touching,
                                         std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return append_matching(current_beam_inventory(), result,
                               [&](const Inventoried_assembly& record) {
                                   return record.intersects_segment(start, end, exclude_touching);
                               });
    });
}

namespace {

typedef bool (Inventoried_assembly::*Elevation_test)(bool, double, bool, double) const;

bool elevation_query(Member_inventory* inventory, Elevation_test test, bool has_lower, double lower,
                     bool has_upper, double upper, Result_list& result) {
    return append_matching(inventory, result, [&](const Inventoried_assembly& record) {
        return (record.*test)(has_lower, lower, has_upper, upper);
    });
}

}  // namespace

bool KORVfind_columns_between_elevs(bool has_lower, double lower, bool has_upper, double upper,
                                    std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return elevation_query(current_column_inventory(),
                               &Inventoried_assembly::is_column_between_elevs, has_lower, lower,
                               has_upper, upper, result);
    });
}

bool KORVfind_walls_between_elevs(bool has_lower, double lower, bool has_upper, double upper,
                                  std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return elevation_query(current_wall_inventory(),
                               &Inventoried_assembly::is_wall_between_elevs, has_lower, lower,
                               has_upper, upper, result);
    });
}

bool KORVfind_braces_between_elevs(bool has_lower, double lower, bool has_upper, double upper,
                                   std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return elevation_query(current_brace_inventory(),
                               &Inventoried_assembly::is_brace_between_elevs, has_lower, lower,
                               has_upper, upper, result);
    });
}

bool KORVfind_lat_beams_between_elevs(double lower, bool has_upper, double upper,
                                      std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return append_matching(
            current_beam_inventory(), result, [&](const Inventoried_assembly& record) {
                return !record.file_name().empty() && record.is_lateral() &&
                       record.is_lateral_beam_between_elevs(lower, has_upper, upper);
            });
    });
}

bool KORVfind_walls_starting_or_ending_at_point(const AcGePoint3d& point,
                                                const AcDbObjectId& exclude,
                                                std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* walls = current_wall_inventory();
        append_matching(walls, result, [&](const Inventoried_assembly& record) {
            return record.member_id() != exclude && record.starts_at_point_within_tolerance(point);
        });
        return append_matching(walls, result, [&](const Inventoried_assembly& record) {
            return record.member_id() != exclude && record.ends_at_point_within_tolerance(point);
        });
    });
}

namespace {

// Every record that repeats start-end at one of the elevations, once per matching one.
void append_layout_copies(const Member_inventory& inventory, const AcGePoint3d& start,
                          const AcGePoint3d& end, const std::list<double>& elevations,
                          Result_list& result) {
    for (const auto& entry : inventory.records()) {
        const Inventoried_assembly& record = *entry.second;
        AcGePoint3d record_start, record_end;
        if (!record.get_end_points(record_start, record_end)) continue;
        for (double h : elevations) {
            const AcGePoint3d a(start.x, start.y, start.z + h);
            const AcGePoint3d b(end.x, end.y, end.z + h);
            if (record_start.isEqualTo(record.transform() * a) &&
                record_end.isEqualTo(record.transform() * b)) {
                result.push_back(record.id_and_filename());
            }
        }
    }
}

}  // namespace

bool KORVfind_layout_columns(const AcGePoint3d& start, const AcGePoint3d& end,
                             const std::list<double>& elevations,
                             std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* col_inventory = current_column_inventory();
        _ASSERTE(col_inventory);
        if (col_inventory == nullptr) return false;
        append_layout_copies(*col_inventory, start, end, elevations, result);
        return true;
    });
}

bool KORVfind_layout_beams(const AcGePoint3d& start, const AcGePoint3d& end,
                           const std::list<double>& elevations,
                           std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* beam_inventory = current_beam_inventory();
        _ASSERTE(beam_inventory);
        if (beam_inventory == nullptr) return false;
        append_layout_copies(*beam_inventory, start, end, elevations, result);
        return true;
    });
}

// ----- support relation queries ----------------------------------------------------------------

namespace {

// The first record in inventory order, other than the excluded member, that the test
// accepts: its id and file name go to out.
template <class Test>
bool find_first(Member_inventory* inventory, const AcDbObjectId& exclude, KORVid_and_filename& out,
                Test test) {
    if (inventory == nullptr) return false;
    for (const auto& entry : inventory->records()) {
        const Inventoried_assembly& record = *entry.second;
        if (record.member_id() == exclude || !test(record)) continue;
        out.id = record.member_id();
        out.file_name = record.file_name();
        return true;
    }
    return false;
}

// Under point1, and not lying along the segment to point2 (unless both are one point).
template <class FirstTest>
bool under_two_points(const Inventoried_assembly& record, const AcGePoint3d& point1,
                      const AcGePoint3d& point2, FirstTest first_test) {
    if (!first_test(record)) return false;
    return point1.isEqualTo(point2) || !record.is_under_point_inclusive(point2);
}

bool append_unsupported_ends(Member_inventory* inventory,
                             std::list<std::pair<AcDbObjectId, int>>& result) {
    if (inventory == nullptr) return false;
    for (const auto& entry : inventory->records()) {
        try {
            AcDbObjectPointer<KORVLinear_structural_member> member(entry.second->member_id(),
                                                                   AcDb::kForRead);
            if (member.openStatus() != Acad::eOk) continue;
            if (member->is_unsupported_start()) result.emplace_back(member->objectId(), 0);
            if (member->is_unsupported_end()) result.emplace_back(member->objectId(), 1);
        } catch (...) {
            _ASSERTE(false);
        }
    }
    return true;
}

}  // namespace

namespace {

// The one-point underlying search: the two-point test with both points the same.
bool find_under_point(Member_inventory* inventory, const AcGePoint3d& point,
                      const AcDbObjectId& exclude, bool concrete_only, KORVid_and_filename& out) {
    return find_first(inventory, exclude, out, [&](const Inventoried_assembly& record) {
        return (!concrete_only || record.is_concrete()) &&
               under_two_points(record, point, point,
                                [&](const auto& r) { return r.is_under_point(point); });
    });
}

}  // namespace

bool KORVfind_underlying_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                                KORVid_and_filename& out) {
    return guarded(
        [&] { return find_under_point(current_column_inventory(), point, exclude, false, out); });
}

bool KORVfind_underlying_concrete_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                                         AcDbDatabase* database, const std::wstring& drawing_name,
                                         KORVid_and_filename& out) {
    return guarded([&] {
        return find_under_point(get_column_inventory(database, drawing_name), point, exclude, true,
                                out);
    });
}

bool KORVfind_underlying_wall(const AcGePoint3d& point, const AcDbObjectId& exclude,
                              KORVid_and_filename& out) {
    return guarded(
        [&] { return find_under_point(current_wall_inventory(), point, exclude, false, out); });
}

bool KORVfind_underlying_beam(const AcGePoint3d& point1, const AcGePoint3d& point2,
                              const AcDbObjectId& exclude, KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(
            current_beam_inventory(), exclude, out, [&](const Inventoried_assembly& record) {
                return under_two_points(record, point1, point2,
                                        [&](const auto& r) { return r.is_under_point(point1); });
            });
    });
}

bool KORVfind_Vanta_brace_underlying_beam(const AcGePoint3d& point1, const AcGePoint3d& point2,
                                          const AcDbObjectId& exclude, KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(current_beam_inventory(), exclude, out,
                          [&](const Inventoried_assembly& record) {
                              return under_two_points(record, point1, point2, [&](const auto& r) {
                                  return r.is_under_brace_point(point1, false);
                              });
                          });
    });
}

bool KORVfind_starting_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                              KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(
            current_column_inventory(), exclude, out,
            [&](const Inventoried_assembly& record) { return record.starts_at_point(point); });
    });
}

bool KORVfind_starting_concrete_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                                       AcDbDatabase* database, const std::wstring& drawing_name,
                                       KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(get_column_inventory(database, drawing_name), exclude, out,
                          [&](const Inventoried_assembly& record) {
                              return record.is_concrete() && record.starts_at_point(point);
                          });
    });
}

bool KORVfind_ending_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                            KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(current_column_inventory(), exclude, out,
                          [&](const Inventoried_assembly& record) {
                              return record.ends_at_point_within_tolerance(point);
                          });
    });
}

bool KORVfind_wall_below(const AcGePoint3d& point, const AcDbObjectId& exclude,
                         KORVid_and_filename& out) {
    return guarded([&] {
        return find_first(
            current_wall_inventory(), exclude, out,
            [&](const Inventoried_assembly& record) { return record.is_below_point(point); });
    });
}

bool KORVfind_connecting_beams(const AcGePoint3d& point, const AcDbObjectId& exclude,
                               std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        return append_matching(
            current_beam_inventory(), result, [&](const Inventoried_assembly& record) {
                int end_index = 0;
                return record.member_id() != exclude && record.connects_at_point(point, end_index);
            });
    });
}

bool KORVget_unsupported_columns(std::list<std::pair<AcDbObjectId, int>>& result) {
    return guarded([&] { return append_unsupported_ends(current_column_inventory(), result); });
}

bool KORVget_unsupported_beams(std::list<std::pair<AcDbObjectId, int>>& result) {
    return guarded([&] { return append_unsupported_ends(current_beam_inventory(), result); });
}

bool KORVget_gravity_beams_in_database(std::list<AcDbObjectId>& result) {
    return guarded([&] {
        Member_inventory* beams = current_beam_inventory();
        if (beams == nullptr) return false;
        for (const auto& entry : beams->records()) {
            if (entry.second->file_name().empty()) result.push_back(entry.second->member_id());
        }
        return true;
    });
}

// ----- concrete assemblies --------------------------------------------------------------------

bool KORVfind_concrete_plan_reps_in_rectangle(bool flag, const AcGePoint3d& corner1,
                                              const AcGePoint3d& corner2,
                                              const AcGeVector3d& view_direction, bool clip_1,
                                              bool clip_2, double depth_1, double depth_2,
                                              AcDbDatabase* database,
                                              std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* plan_reps_inventory = get_plan_rep_inventory(database);
        _ASSERTE(plan_reps_inventory);
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        return rectangle_query(plan_reps_inventory, w, result);
    });
}

bool KORVfind_rebar_configs_in_rectangle(bool flag, const AcGePoint3d& corner1,
                                         const AcGePoint3d& corner2,
                                         const AcGeVector3d& view_direction, bool clip_1,
                                         bool clip_2, double depth_1, double depth_2,
                                         AcDbDatabase* database,
                                         std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        Member_inventory* rebar_configs_inventory = get_rebar_config_inventory(database);
        _ASSERTE(rebar_configs_inventory);
        const Window w{corner1, corner2, flag, view_direction, clip_1, clip_2, depth_1, depth_2};
        return rectangle_query(rebar_configs_inventory, w, result);
    });
}

// ----- concrete beams and beamlines ------------------------------------------------------------

namespace {

const double kBeamlineIntervalSlack = 0.01;

typedef std::pair<AcGePoint3d, AcGePoint3d> Beamline_ends;
typedef std::map<Beamline_ends, AcDbObjectId, KORVPair_point3d_less_z_up_y_down> Beamline_map;

// Files the beamline under its positive-orientation ends; false when it does not open or
// either end is missing.
bool ends_of(AcDbObjectId id, Beamline_ends& ends) {
    AcDbObjectPointer<KORVConcrete_beamline> beamline(id, AcDb::kForRead);
    if (beamline.openStatus() != Acad::eOk) return false;
    return beamline->get_positive_orientation_start_point(ends.first) &&
           beamline->get_positive_orientation_end_point(ends.second);
}

bool within_intervals(const Beamline_ends& ends,
                      const std::list<std::pair<double, double>>& intervals) {
    for (const auto& interval : intervals) {
        if (ends.first.z >= interval.first - kBeamlineIntervalSlack &&
            ends.second.z <= interval.second + kBeamlineIntervalSlack) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool KORVget_concrete_beams_with_filenames(AcDbDatabase* database, bool include_cantilevers,
                                           std::list<KORVid_and_filename>& result) {
    return guarded([&] {
        std::unique_ptr<Member_inventory> temporary;
        Member_inventory* inventory = nullptr;
        if (database != nullptr && database != acdbHostApplicationServices()->workingDatabase()) {
            temporary = std::make_unique<Member_inventory>(false, false);
            if (!build(temporary.get(), database, &KORVLinear_structural_member::is_beam, true)) {
                return false;
            }
            inventory = temporary.get();
        } else {
            inventory = current_beam_inventory();
            if (inventory == nullptr) return false;
        }
        std::multimap<AcGePoint3d, KORVid_and_filename, KORVPoint3d_less> by_start;
        for (const auto& entry : inventory->records()) {
            const Inventoried_assembly& record = *entry.second;
            if (!record.is_concrete() || (!include_cantilevers && record.is_cantilever())) continue;
            by_start.emplace(record.start_point(), record.id_and_filename());
        }
        // One beam per concrete data object, the first in start-point order.
        std::map<AcDbObjectId, KORVid_and_filename> by_data;
        for (const auto& entry : by_start) {
            try {
                AcDbObjectPointer<KORVLinear_structural_member> beam(entry.second.id,
                                                                     AcDb::kForRead);
                if (beam.openStatus() != Acad::eOk) continue;
                const KORVConcrete_member_data* data = beam->get_concrete_data();
                if (data == nullptr) continue;
                by_data.emplace(data->get_id(), entry.second);
            } catch (...) {
                _ASSERTE(false);
            }
        }
        std::list<AcDbObjectId> data_ids;
        get_keys_and_values(by_data, data_ids, result);
        return true;
    });
}

bool KORVget_concrete_beamlines_ids(AcDbDatabase* database, const std::wstring& drawing_name,
                                    std::list<AcDbObjectId>& own_ids,
                                    std::list<AcDbObjectId>& xref_ids) {
    return guarded([&] {
        if (database == nullptr) database = acdbHostApplicationServices()->workingDatabase();
        Member_inventory* inventory = get_concrete_beamline_inventory(database, drawing_name);
        if (inventory == nullptr) return false;
        Beamline_map own, referenced;
        for (const auto& entry : inventory->records()) {
            const Inventoried_assembly& record = *entry.second;
            try {
                Beamline_ends ends;
                if (!ends_of(record.member_id(), ends)) continue;
                (record.file_name().empty() ? own : referenced)[ends] = record.member_id();
            } catch (...) {
                _ASSERTE(false);
            }
        }
        std::list<Beamline_ends> own_ends, referenced_ends;
        get_keys_and_values(own, own_ends, own_ids);
        get_keys_and_values(referenced, referenced_ends, xref_ids);
        return true;
    });
}

bool KORVfind_marked_concrete_beamlines_in_database(
    AcDbDatabase* database, const std::list<std::pair<double, double>>& intervals, bool flag,
    std::list<std::wstring>& marks, std::list<AcDbObjectId>& ids, std::wstring& message) {
    return guarded([&] {
        AcDbDatabase* db = database;
        _ASSERTE(db);
        if (db == nullptr) return false;
        AcDbBlockTableRecord* pBlockTableRecord = open_model_space(db, AcDb::kForRead);
        if (pBlockTableRecord == nullptr) {
            message = L"Cannot open model space.";
            return false;
        }
        AcDbBlockTableRecordPointer model_space;
        model_space.acquire(pBlockTableRecord);
        AcDbBlockTableRecordIterator* raw_iterator = nullptr;
        Acad::ErrorStatus es = model_space->newIterator(raw_iterator, true, true);
        _ASSERTE(es == Acad::eOk);
        if (es != Acad::eOk) {
            model_space.close();
            message = L"Cannot iterate over model space.";
            return false;
        }
        std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
        bool any_beamline = false;
        bool any_mark = false;
        for (; !iterator->done(); iterator->step()) {
            try {
                AcDbObjectId entity_id;
                if (iterator->getEntityId(entity_id) != Acad::eOk) continue;
                AcDbObjectPointer<KORVConcrete_beamline> beamline(entity_id, AcDb::kForRead);
                if (beamline.openStatus() != Acad::eOk) continue;
                if (!intervals.empty()) {
                    Beamline_ends ends;
                    if (!beamline->get_positive_orientation_start_point(ends.first) ||
                        !beamline->get_positive_orientation_end_point(ends.second) ||
                        !within_intervals(ends, intervals)) {
                        continue;
                    }
                }
                any_beamline = true;
                const std::wstring mark = beamline->get_mark();
                if (mark.empty()) continue;
                any_mark = true;
                if (beamline->get_kind_flag() == flag) {
                    marks.push_back(mark);
                    ids.push_back(entity_id);
                }
            } catch (...) {
                _ASSERTE(false);
            }
        }
        iterator.reset();
        model_space.close();
        if (!any_beamline || any_mark) return true;
        message = L"None of the concrete beams had a schedule mark";
        return false;
    });
}
