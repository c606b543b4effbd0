// Drawn properties of reinforcement, tied bar positions, the tie pattern type reactor and the
// drawing helpers of rebar diagrams.
#include "StdAfx.h"

#include <cmath>

#include "korv_column_rebar.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVTie_pattern_type_reactor, AcDbObject, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVTIEPATTERNTYPEREACTOR, KORVDBX);

namespace {

struct Rebar_settings {
    std::wstring layer_name = L"KORV_COLUMN_REBAR";
    int color = 1;
    AcDb::LineWeight lineweight = AcDb::kLnWt035;
};

Rebar_settings& settings() {
    static Rebar_settings instance;
    return instance;
}

// Makes the layer in the working database when it has none of that name.
void ensure_layer(const std::wstring& name) {
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    if (database == nullptr || name.empty()) return;
    AcDbLayerTable* table = nullptr;
    if (database->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return;
    if (!table->has(name.c_str()) && table->upgradeOpen() == Acad::eOk) {
        auto* record = new AcDbLayerTableRecord();
        record->setName(name.c_str());
        if (table->add(record) == Acad::eOk) {
            record->close();
        } else {
            delete record;
        }
    }
    table->close();
}

}  // namespace

// ----- drawn properties
// ----------------------------------------------------------------------------

std::wstring KORVConcrete_column_reinforcement::get_layer_name() {
    host_test::library_call_point("get_layer_name", AcDbObjectId());
    ensure_layer(settings().layer_name);
    return settings().layer_name;
}

void KORVConcrete_column_reinforcement::set_layer_name(const std::wstring& name) {
    settings().layer_name = name;
}

int KORVSlab_or_wall_reinforcement::get_rebars_two_d_color() {
    return settings().color;
}

void KORVSlab_or_wall_reinforcement::set_rebars_two_d_color(int color) {
    settings().color = color;
}

AcDb::LineWeight KORVSlab_or_wall_reinforcement::get_rebars_two_d_lineweight() {
    return settings().lineweight;
}

void KORVSlab_or_wall_reinforcement::set_rebars_two_d_lineweight(AcDb::LineWeight lineweight) {
    settings().lineweight = lineweight;
}

// ----- tied positions
// -------------------------------------------------------------------------------

void KORVConcrete_column_reinforcement::set_tie_location_indices(int tie_legs, int bar_positions,
                                                                 std::vector<bool>& flags) {
    host_test::library_call_point("set_tie_location_indices", AcDbObjectId());
    const int n = std::min(bar_positions, static_cast<int>(flags.size()));
    if (n <= 0) return;
    flags[0] = true;
    flags[n - 1] = true;
    const int interior_legs = std::min(tie_legs, n) - 2;
    for (int leg = 1; leg <= interior_legs; ++leg) {
        const int wanted = static_cast<int>(std::lround(leg * (n - 1.0) / (interior_legs + 1.0)));
        // The nearest free interior position, looking below before above.
        for (int distance = 0; distance < n; ++distance) {
            const int below = wanted - distance, above = wanted + distance;
            if (below >= 1 && below <= n - 2 && !flags[below]) {
                flags[below] = true;
                break;
            }
            if (above >= 1 && above <= n - 2 && !flags[above]) {
                flags[above] = true;
                break;
            }
        }
    }
}

// ----- the reactor
// ----------------------------------------------------------------------------------

KORVTie_pattern_type_reactor::KORVTie_pattern_type_reactor() = default;
KORVTie_pattern_type_reactor::KORVTie_pattern_type_reactor(const AcDbObjectId& target)
    : mTarget(target) {}

AcDbObjectId KORVTie_pattern_type_reactor::target_id() const {
    assertReadEnabled();
    return mTarget;
}

int KORVTie_pattern_type_reactor::modified_count() const {
    assertReadEnabled();
    return mModified;
}

int KORVTie_pattern_type_reactor::erased_count() const {
    assertReadEnabled();
    return mErased;
}

std::wstring KORVTie_pattern_type_reactor::heard_text() const {
    assertReadEnabled();
    return mHeardText;
}

void KORVTie_pattern_type_reactor::modified(const AcDbObject* dbObj) {
    ++mModified;
    if (const AcDbAttribute* attribute = AcDbAttribute::cast(dbObj)) {
        mHeardText = attribute->textStringConst();
    }
}

void KORVTie_pattern_type_reactor::erased(const AcDbObject*, Adesk::Boolean bErasing) {
    if (bErasing) ++mErased;
}

// ----- drawing helpers
// ------------------------------------------------------------------------------

AcDbObjectId KORVadd_block_to_table(AcDbBlockTableRecord* record) {
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    if (record == nullptr || database == nullptr) return AcDbObjectId::kNull;
    AcDbBlockTable* table = nullptr;
    if (database->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    AcDbObjectId id;
    if (table->add(id, record) != Acad::eOk) id.setNull();
    table->close();
    return id;
}

AcDbObjectId KORVget_extension_dictionary(AcDbObject* object, AcDb::OpenMode mode) {
    if (object == nullptr) return AcDbObjectId::kNull;
    host_test::library_call_point("KORVget_extension_dictionary", object->objectId());
    AcDbObjectId dictionary = object->extensionDictionary();
    if (dictionary.isNull() && mode == AcDb::kForWrite &&
        object->createExtensionDictionary() == Acad::eOk) {
        dictionary = object->extensionDictionary();
    }
    return dictionary;
}

AcDbPolyline* KORVcreate_donut(const AcGePoint3d& centre, double radius, const AcGeVector3d& normal,
                               const std::wstring& layer, int color, AcDb::LineWeight lineweight) {
    // Two half circles of radius r/2 drawn r wide: a disc of radius r.
    auto* donut = new AcDbPolyline(2);
    const double half = 0.5 * radius;
    donut->addVertexAt(0, AcGePoint2d(centre.x - half, centre.y), 1.0, radius, radius);
    donut->addVertexAt(1, AcGePoint2d(centre.x + half, centre.y), 1.0, radius, radius);
    donut->setClosed(Adesk::kTrue);
    donut->setNormal(normal);
    donut->setElevation(centre.z);
    if (!layer.empty()) donut->setLayer(layer.c_str());
    if (color != 256) donut->setColorIndex(static_cast<Adesk::UInt16>(color));
    if (lineweight != AcDb::kLnWtByLayer) donut->setLineWeight(lineweight);
    return donut;
}

AcGePoint2d KORVpolar(const AcGePoint2d& point, double angle, double distance) {
    return AcGePoint2d(point.x + distance * std::cos(angle), point.y + distance * std::sin(angle));
}
