// inventory_fixture.h: what the member inventory tests share: the referenced building (a
// drawing with members of its own and an external reference inserted twice), readers of an
// inventory's records, and the count of host operations a call makes.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "member_inventory.h"
#include "module_fixture.h"

// The host drawing holds a column C12 and a beam B3; the drawing CORE holds a column C7 and
// is attached once and inserted twice: moved by (10, 0, 0), and moved by (20, 0, 0) with a
// quarter turn. Seen from the host, C7 at (1, 1, 0) stands at (11, 1, 0) and (19, 1, 0).
struct ReferencedBuilding {
    AcApDocument* document = nullptr;
    AcDbDatabase* database = nullptr;
    AcDbObjectId model_space;
    AcDbObjectId c12;
    AcDbObjectId b3;
    AcDbDatabase* core = nullptr;
    AcDbObjectId core_model_space;
    AcDbObjectId core_record;
    AcDbObjectId c7;
    AcDbObjectId first_insert;
    AcDbObjectId second_insert;
};

// A member for the builder, settings named: new_member(kColumn, L"C1").layer(L"F").
class NewMember {
public:
    NewMember(KORVLinear_structural_member::Kind kind, const std::wstring& name,
              const AcGePoint3d& start, const AcGePoint3d& end) {
        plan_.kind = kind;
        plan_.name = name;
        plan_.start = start;
        plan_.end = end;
    }
    NewMember& material(KORVLinear_structural_member::Material material) {
        plan_.material = material;
        return *this;
    }
    NewMember& section(const std::wstring& section) {
        plan_.section = section;
        return *this;
    }
    NewMember& guids(const std::list<GUID>& guids) {
        plan_.guids = guids;
        return *this;
    }
    NewMember& layer(const std::wstring& layer) {
        plan_.layer = layer;
        return *this;
    }
    operator const host_test::MemberPlan&() const { return plan_; }

private:
    host_test::MemberPlan plan_;
};

// Standing at start, 3 units high unless told otherwise.
inline NewMember new_member(KORVLinear_structural_member::Kind kind, const std::wstring& name,
                            const AcGePoint3d& start = AcGePoint3d::kOrigin,
                            const AcGePoint3d& end = AcGePoint3d(0, 0, 3)) {
    return NewMember(kind, name, start, end);
}

class InventoryTest : public ModuleTest {
protected:
    static constexpr double kQuarterTurn = 1.5707963267948966;

    ReferencedBuilding open_referenced_building(
        const std::wstring& file_name = L"C:/proj/main.dwg") {
        ReferencedBuilding building;
        building.document = open_document(file_name);
        building.database = building.document->database();
        host_test::DrawingBuilder main(building.database);
        building.model_space = main.model_space();
        building.c12 = host_test::add_column(main, L"C12", {0, 0, 0}, 3);
        building.b3 = host_test::add_beam(main, L"B3", {0, 0, 3}, {5, 0, 3});
        auto core = host_test::new_drawing();
        building.core = core.get();
        host_test::DrawingBuilder core_builder(core.get());
        building.core_model_space = core_builder.model_space();
        building.c7 = host_test::add_column(core_builder, L"C7", {1, 1, 0}, 3);
        building.core_record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
        building.first_insert = main.insert(building.core_record, {{10, 0, 0}});
        building.second_insert = main.insert(building.core_record, {{20, 0, 0}, kQuarterTurn});
        return building;
    }

    // How many host operations the call makes.
    template <class Call>
    static long host_operations_of(Call&& call) {
        const long before = host_test::host_operation_count();
        call();
        return host_test::host_operation_count() - before;
    }

    // The record of the member seen through the reference (null: its own drawing's). A walk
    // rather than records().find: in C++20 a pair of ids compares through <=>, which the
    // ids' pointer conversion answers in address order, not in the creation order the
    // module (C++17) filed the records in.
    static const Inventoried_assembly* record_of(const Member_inventory* inventory,
                                                 AcDbObjectId member,
                                                 AcDbObjectId reference = AcDbObjectId()) {
        for (const auto& entry : inventory->records()) {
            if (entry.first.first == member && entry.first.second == reference) return entry.second;
        }
        return nullptr;
    }

    // "C12 C7@CORE C7@CORE": the records in walk order, each member's name and the
    // reference block it came through; "(no inventory)" for null.
    static std::string record_names(const Member_inventory* inventory) {
        if (inventory == nullptr) return "(no inventory)";
        std::list<KORVid_and_filename> results;
        for (const auto& entry : inventory->records())
            results.push_back(entry.second->id_and_filename());
        return names(results);
    }

    // "(11,1,0)", rounded to the drawing's precision.
    static std::string text(const AcGePoint3d& point) {
        auto round = [](double v) {
            const double r = std::round(v * 1e6) / 1e6;
            return r == 0.0 ? 0.0 : r;
        };
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "(%g,%g,%g)", round(point.x), round(point.y),
                      round(point.z));
        return buffer;
    }
    static std::string text(const AcGeVector3d& vector) {
        return text(AcGePoint3d(vector.x, vector.y, vector.z));
    }

    // "(0,0,1) front 2.5 back 0": the clip a record keeps; "(0,0,0)" alone when unclipped.
    static std::string clip_text(const Inventoried_assembly* record) {
        const auto& clip = record->clip();
        std::string out = text(clip.normal);
        if (clip.front_on || clip.back_on || clip.front_depth != 0.0 || clip.back_depth != 0.0) {
            out += std::string(clip.front_on ? " front " : " nofront ") +
                   std::to_string(clip.front_depth).substr(0, 3) +
                   (clip.back_on ? " back " : " noback ") +
                   std::to_string(clip.back_depth).substr(0, 3);
        }
        return out;
    }

    // The id of the record the GUID index gives (null when none), and its reference.
    static std::pair<AcDbObjectId, AcDbObjectId> imported(const Member_inventory* inventory,
                                                          const GUID& guid) {
        const Inventoried_assembly* record = inventory->find_imported(guid);
        if (record == nullptr) return {};
        return {record->member_id(), record->reference_id()};
    }

    static AcGeMatrix3d block_transform_of(AcDbObjectId insert) {
        AcDbObjectPointer<AcDbBlockReference> reference(insert, AcDb::kForRead);
        EXPECT_EQ(reference.openStatus(), Acad::eOk);
        return reference.openStatus() == Acad::eOk ? reference->blockTransform() : AcGeMatrix3d();
    }

    static AcDbHandle handle_of(AcDbObjectId id) {
        AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
        AcDbHandle handle;
        if (entity.openStatus() == Acad::eOk) entity->getAcDbHandle(handle);
        return handle;
    }
};
