// member_inventory.h: the member inventories of a drawing.
//
// A Member_inventory is the in-memory picture of one kind of structural object (columns,
// beams, braces, walls, concrete plan reps, wall rebar configs, concrete beamlines) in one
// drawing: one record per object and per external reference insert it is seen through,
// keyed by (member id, reference id) and walked in that order. Records keep what is
// needed to ask the structural library questions later from the current drawing's point of
// view: the transform from the current drawing into the member's own drawing, and the clip
// of the reference insert. The inventory owns its records; records never change.
//
// Inventories live in module-wide registries keyed by (current document, drawing name);
// a lookup builds the inventory on first use by scanning model space and every resolved
// external reference, and keeps it until the document is destroyed.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "KORVInventory.h"
#include "StdAfx.h"
#include "korvdbx.h"

// GUIDs hash by their two 8-byte halves (64-bit FNV-1a over each half's bytes in memory
// order), the two results combined by exclusive or.
struct Guid_hash {
    size_t operator()(const GUID& guid) const;
};
struct Guid_equal {
    bool operator()(const GUID& a, const GUID& b) const {
        return std::memcmp(&a, &b, sizeof(GUID)) == 0;
    }
};

// The record of one inventoried object. The base class answers for linear structural
// members; concrete plan reps and wall rebar configs derive from it. Every operation opens
// the object for read by member_id, moves the caller's geometry into the object's own
// drawing with transform, asks the library, and answers false when the object does not
// open or the library raises.
class Inventoried_assembly {
public:
    struct Clip {
        AcGeVector3d normal;
        bool front_on = false;
        double front_depth = 0.0;
        bool back_on = false;
        double back_depth = 0.0;
    };

    // What every record found through one insert shares: the reference's block name, the
    // insert, the transform into the referenced drawing and the insert's clip. Queries
    // ask every record the same question, so the window moved into the member's drawing
    // is kept here, once per insert, for the records that follow.
    struct Context {
        std::wstring file_name;
        AcDbObjectId reference_id;
        AcGeMatrix3d transform;
        Clip clip;

        struct Moved_window {
            bool valid = false;
            AcGePoint3d corner1, corner2;  // the question as asked
            AcGeVector3d view_direction;
            double depth_1 = 0.0, depth_2 = 0.0;
            AcGePoint3d moved_corner1, moved_corner2;  // the question in the member's drawing
            AcGeVector3d moved_view_direction;
            double moved_depth_1 = 0.0, moved_depth_2 = 0.0;
            bool horizontal_view = false;
        };
        mutable Moved_window window;
    };

    Inventoried_assembly(AcDbObjectId member_id, const std::wstring& file_name,
                         AcDbObjectId reference_id, const AcGePoint3d& start_point,
                         const AcDbHandle& handle, const AcGeMatrix3d& transform, const Clip& clip,
                         bool is_first_material, bool is_concrete);
    Inventoried_assembly(AcDbObjectId member_id, std::shared_ptr<const Context> context,
                         const AcGePoint3d& start_point, const AcDbHandle& handle,
                         bool is_first_material, bool is_concrete);
    virtual ~Inventoried_assembly();
    Inventoried_assembly(const Inventoried_assembly&) = delete;
    Inventoried_assembly& operator=(const Inventoried_assembly&) = delete;

    // Virtual operations, in slot order.
    virtual bool is_under_point(const AcGePoint3d& point) const;
    virtual bool starts_at_point(const AcGePoint3d& point) const;
    virtual bool is_under_brace_point(const AcGePoint3d& point, bool flag) const;
    virtual bool is_under_point_inclusive(const AcGePoint3d& point) const;
    virtual bool is_below_point(const AcGePoint3d& point) const;
    virtual bool is_wall_between_elevs(bool has_lower, double lower, bool has_upper,
                                       double upper) const;
    virtual bool is_brace_between_elevs(bool has_lower, double lower, bool has_upper,
                                        double upper) const;
    virtual bool is_lateral() const;
    virtual bool is_cantilever() const;
    virtual bool in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                              const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                              double depth_1, double depth_2) const;
    virtual bool in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                    bool flag) const;
    virtual bool intersects_segment(const AcGePoint3d& start, const AcGePoint3d& end,
                                    bool exclude_touching) const;
    virtual bool connects_at_point(const AcGePoint3d& point, int& end_index) const;
    virtual bool get_end_points(AcGePoint3d& start, AcGePoint3d& end) const;

    // Elevation and end-point tests the queries call directly.
    bool is_column_between_elevs(bool has_lower, double lower, bool has_upper, double upper) const;
    bool is_lateral_beam_between_elevs(double lower, bool has_upper, double upper) const;
    bool starts_at_point_within_tolerance(const AcGePoint3d& point) const;
    bool ends_at_point_within_tolerance(const AcGePoint3d& point) const;

    AcDbObjectId member_id() const { return m_member_id; }
    const std::wstring& file_name() const { return m_context->file_name; }
    AcDbObjectId reference_id() const { return m_context->reference_id; }
    const AcGePoint3d& start_point() const { return m_start_point; }
    const AcDbHandle& handle() const { return m_handle; }
    const AcGeMatrix3d& transform() const { return m_context->transform; }
    const Clip& clip() const { return m_context->clip; }
    bool is_first_material() const { return m_is_first_material; }
    bool is_concrete() const { return m_is_concrete; }

    KORVid_and_filename id_and_filename() const {
        return KORVid_and_filename(m_member_id, file_name(), reference_id());
    }

protected:
    // The window moved into the member's drawing (kept for the insert's other records).
    const Context::Moved_window& moved_window(const AcGePoint3d& corner1,
                                              const AcGePoint3d& corner2,
                                              const AcGeVector3d& view_direction, double depth_1,
                                              double depth_2) const;

private:
    AcDbObjectId m_member_id;
    std::shared_ptr<const Context> m_context;
    AcGePoint3d m_start_point;
    AcDbHandle m_handle;
    bool m_is_first_material;
    bool m_is_concrete;
};

// What the plan rep and rebar config records share: the member-only operations are never
// reached by the exported queries (they run on member inventories); reaching one reports
// the failed check and answers false. Both are lateral, and neither is a wall or connects.
class Non_member_inventoried_assembly : public Inventoried_assembly {
public:
    using Inventoried_assembly::Inventoried_assembly;

    bool is_under_point(const AcGePoint3d&) const override {
        _ASSERTE(false);
        return false;
    }
    bool starts_at_point(const AcGePoint3d&) const override {
        _ASSERTE(false);
        return false;
    }
    bool is_under_brace_point(const AcGePoint3d&, bool) const override {
        _ASSERTE(false);
        return false;
    }
    bool is_under_point_inclusive(const AcGePoint3d&) const override {
        _ASSERTE(false);
        return false;
    }
    bool is_below_point(const AcGePoint3d&) const override {
        _ASSERTE(false);
        return false;
    }
    bool is_wall_between_elevs(bool, double, bool, double) const override { return false; }
    bool is_lateral() const override { return true; }
    bool in_plane_rectangle(const AcGePoint3d&, const AcGePoint3d&, bool) const override {
        _ASSERTE(false);
        return false;
    }
    bool intersects_segment(const AcGePoint3d&, const AcGePoint3d&, bool) const override {
        _ASSERTE(false);
        return false;
    }
    bool connects_at_point(const AcGePoint3d&, int&) const override { return false; }
};

// The record of a concrete lateral beam plan rep.
class KORVconcrete_plan_rep_inventoried_assembly : public Non_member_inventoried_assembly {
public:
    using Non_member_inventoried_assembly::Non_member_inventoried_assembly;

    bool is_brace_between_elevs(bool has_lower, double lower, bool has_upper,
                                double upper) const override;
    bool is_cantilever() const override;
    bool in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                      const AcGeVector3d& view_direction, bool clip_1, bool clip_2, double depth_1,
                      double depth_2) const override;
    bool get_end_points(AcGePoint3d& start, AcGePoint3d& end) const override;
};

// The record of a wall rebar configuration: it lies in a window when its host walls do.
class KORVWall_rebar_config_inventoried_assembly : public Non_member_inventoried_assembly {
public:
    using Non_member_inventoried_assembly::Non_member_inventoried_assembly;

    bool is_brace_between_elevs(bool, double, bool, double) const override { return false; }
    bool is_cantilever() const override { return false; }
    bool in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool flag,
                      const AcGeVector3d& view_direction, bool clip_1, bool clip_2, double depth_1,
                      double depth_2) const override;
    bool get_end_points(AcGePoint3d& start, AcGePoint3d& end) const override;
    // The lateral-beam elevation test's shape; a rebar config is never a lateral beam.
    virtual bool is_lateral_beam_between_elevs(double, bool, double) const { return false; }
};

typedef std::pair<AcDbObjectId, AcDbObjectId> Record_key;  // (member id, reference id)

// The live records, sorted by key: scans file ids in creation order, so records arrive
// at the end, and queries walk the whole of it front to back.
class Record_map {
public:
    typedef std::pair<Record_key, Inventoried_assembly*> value_type;
    typedef std::deque<value_type>::const_iterator const_iterator;
    typedef std::deque<value_type>::const_reverse_iterator const_reverse_iterator;

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    const_reverse_iterator rbegin() const { return m_entries.rbegin(); }
    const_reverse_iterator rend() const { return m_entries.rend(); }
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const_iterator find(const Record_key& key) const;
    // Files the record under the key and returns the one it displaced, or null.
    Inventoried_assembly* put(const Record_key& key, Inventoried_assembly* record);
    // Removes the entry of the key and returns its record, or null.
    Inventoried_assembly* take(const Record_key& key);

private:
    // A deque, not a vector: growing never copies the entries into fresh memory.
    std::deque<value_type> m_entries;
};

// Where an inventory's records live: fixed blocks filled one record after the other and
// released together with the inventory. Released blocks are kept for the next inventory
// (up to a bound), because fresh memory costs a page fault per page touched, which on a
// large drawing costs more than the whole scan.
class Record_storage {
public:
    static constexpr size_t kBlockSize = 64 * 1024;

    Record_storage() = default;
    ~Record_storage();
    Record_storage(const Record_storage&) = delete;
    Record_storage& operator=(const Record_storage&) = delete;

    void* allocate(size_t size, size_t alignment);

private:
    std::vector<void*> m_blocks;
    size_t m_used = kBlockSize;  // in the last block
};

class Member_inventory {
public:
    Member_inventory(bool collect_plan_reps, bool collect_rebar_configs);
    ~Member_inventory();
    Member_inventory(const Member_inventory&) = delete;
    Member_inventory& operator=(const Member_inventory&) = delete;

    // Makes a record in the inventory's own storage and files it under (member id,
    // reference id); a record already there is displaced but kept alive, since the GUID
    // index may still point at it. Records live as long as the inventory.
    template <class Record, class... Arguments>
    Record* add_record(Arguments&&... arguments) {
        m_owned.push_back(nullptr);  // room first, so that a record made is always destroyed
        Record* record = nullptr;
        try {
            static_assert(sizeof(Record) <= Record_storage::kBlockSize, "a record fits a block");
            void* storage = m_record_storage.allocate(sizeof(Record), alignof(Record));
            record = new (storage) Record(std::forward<Arguments>(arguments)...);
        } catch (...) {
            m_owned.pop_back();
            throw;
        }
        m_owned.back() = record;
        file_record(record);
        return record;
    }
    void note_member_number(int number);
    void index_guid(const GUID& guid, Inventoried_assembly* record);
    // Moves the drawing's own record of the member between the live and the erased records.
    void erase(AcDbObjectId member_id);
    void restore(AcDbObjectId member_id);
    Inventoried_assembly* find_imported(const GUID& guid) const;

    const Record_map& records() const { return m_records; }
    int highest_member_number() const { return m_highest_member_number; }
    bool collect_plan_reps() const { return m_collect_plan_reps; }
    bool collect_rebar_configs() const { return m_collect_rebar_configs; }

private:
    void file_record(Inventoried_assembly* record);

    Record_map m_records;
    std::map<AcDbObjectId, Inventoried_assembly*> m_erased_records;
    std::unordered_map<GUID, Inventoried_assembly*, Guid_hash, Guid_equal> m_imported_records;
    Record_storage m_record_storage;
    std::deque<Inventoried_assembly*> m_owned;  // every record ever made, to destroy
    int m_highest_member_number = 0;
    bool m_collect_plan_reps;
    bool m_collect_rebar_configs;
};

// ----- building ------------------------------------------------------------------------------

// Fills the inventory from the database's model space and, when asked, from every resolved
// external reference insert not on a frozen layer. False when model space was not scanned
// or the reference scan failed.
bool build(Member_inventory* inventory, AcDbDatabase* database, KORVMember_test test,
           bool include_references);
// Records one member (start point already in the current drawing's coordinates), takes its
// number and indexes its GUIDs.
void add_member(Member_inventory* inventory, KORVLinear_structural_member* a,
                const AcGePoint3d& start_point, const std::wstring& file_name,
                AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                const Inventoried_assembly::Clip& clip);
// The same, for a member found through an insert whose context the records share.
void add_member(Member_inventory* inventory, KORVLinear_structural_member* a,
                const AcGePoint3d& start_point,
                const std::shared_ptr<const Inventoried_assembly::Context>& context);
void add_plan_rep(Member_inventory* inventory, KORVConcrete_lateral_beam_plan_rep* a,
                  const AcGePoint3d& first_point, const std::wstring& file_name,
                  AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                  const Inventoried_assembly::Clip& clip);
void add_rebar_config(Member_inventory* inventory, KORVWall_reinforcement* a,
                      const AcGePoint3d& first_point, const std::wstring& file_name,
                      AcDbObjectId reference_id, const AcGeMatrix3d& transform,
                      const Inventoried_assembly::Clip& clip);
// Fills a concrete beamline inventory: every concrete beamline of model space and of each
// resolved external reference insert not on a frozen layer, recorded at the origin.
bool build_concrete_beamlines(Member_inventory* inventory, AcDbDatabase* database);
// The trailing number of a full member name ("B12A" -> 12); -1 without a digit.
int member_number(const std::wstring& full_name);

// ----- registries ----------------------------------------------------------------------------

typedef std::pair<AcApDocument*, std::wstring> Drawing_key;
struct Drawing_key_less {
    bool operator()(const Drawing_key& a, const Drawing_key& b) const {
        if (a.first != b.first) return std::less<AcApDocument*>()(a.first, b.first);
        return a.second < b.second;
    }
};
typedef std::map<Drawing_key, std::unique_ptr<Member_inventory>, Drawing_key_less> Member_registry;

// The drawing's name as the host reports it: its file, or for an external reference's
// database the file it was loaded from; null when the host gives none.
const ACHAR* reported_drawing_name(AcDbDatabase* database);
// A drawing that must be named by the caller: neither an external reference's database nor
// the document's own, and no name given.
bool is_unnamed_foreign_drawing(AcDbDatabase* database, AcApDocument* document,
                                const std::wstring& drawing_name);

Member_inventory* get_member_inventory(Member_registry& registry, AcDbDatabase* database,
                                       const std::wstring& drawing_name, bool collect_plan_reps,
                                       bool collect_rebar_configs, KORVMember_test test);
Member_inventory* get_column_inventory(AcDbDatabase* database, const std::wstring& drawing_name);
Member_inventory* get_beam_inventory(AcDbDatabase* database, const std::wstring& drawing_name);
Member_inventory* get_brace_inventory(AcDbDatabase* database, const std::wstring& drawing_name);
Member_inventory* get_wall_inventory(AcDbDatabase* database, const std::wstring& drawing_name);
Member_inventory* get_plan_rep_inventory(AcDbDatabase* database);
Member_inventory* get_rebar_config_inventory(AcDbDatabase* database);
Member_inventory* get_concrete_beamline_inventory(AcDbDatabase* database,
                                                  const std::wstring& drawing_name);
Member_inventory* current_column_inventory();
Member_inventory* current_beam_inventory();
Member_inventory* current_brace_inventory();
Member_inventory* current_wall_inventory();
void drop_member_inventories(AcApDocument* document);
