#include <host_test/drawing_builder.h>
#include <host_test/host_test.h>

#include <stdexcept>

#include "host_state.h"
#include "text.h"
#include "xref_binding.h"

namespace host_test {
namespace {

// Builder steps must succeed; a failure here is a broken test, not a tested path.
void require(Acad::ErrorStatus es, const char* what) {
    if (es != Acad::eOk) {
        throw std::logic_error(std::string("drawing builder: ") + what +
                               " failed: " + korv_host::narrow(acadErrorStatusText(es)));
    }
}

AcDbBlockTableRecord* record_of(AcDbObjectId id) {
    return korv_host::peek<AcDbBlockTableRecord>(id);
}

}  // namespace

std::unique_ptr<AcDbDatabase> new_drawing() {
    return std::make_unique<AcDbDatabase>(true, true);
}

DrawingBuilder::DrawingBuilder(AcDbDatabase* database) : mDatabase(database) {}

AcDbObjectId DrawingBuilder::block_id(const std::wstring& name) const {
    AcDbBlockTable* table = nullptr;
    require(mDatabase->getBlockTable(table), "opening the block table");
    AcDbObjectId id;
    table->getAt(name.c_str(), id);
    table->close();
    return id;
}

AcDbObjectId DrawingBuilder::model_space() const {
    return block_id(ACDB_MODEL_SPACE);
}
AcDbObjectId DrawingBuilder::paper_space() const {
    return block_id(ACDB_PAPER_SPACE);
}

AcDbObjectId DrawingBuilder::layer(const std::wstring& name, bool frozen, bool off) {
    AcDbLayerTable* table = nullptr;
    require(mDatabase->getLayerTable(table, AcDb::kForWrite), "opening the layer table");
    AcDbObjectId id;
    AcDbLayerTableRecord* record = nullptr;
    if (table->getAt(name.c_str(), record, AcDb::kForWrite) != Acad::eOk) {
        record = new AcDbLayerTableRecord();
        record->setName(name.c_str());
        Acad::ErrorStatus es = table->add(record);
        if (es != Acad::eOk) delete record;
        table->close();
        require(es, "adding a layer");
    } else {
        table->close();
    }
    id = record->objectId();
    record->setIsFrozen(frozen);
    record->setIsOff(off);
    record->close();
    return id;
}

AcDbObjectId DrawingBuilder::add(AcDbEntity* entity, const std::wstring& layer_name,
                                 AcDbObjectId block) {
    if (block.isNull()) block = model_space();
    AcDbBlockTableRecord* record = nullptr;
    require(acdbOpenObject(record, block, AcDb::kForWrite), "opening the block");
    AcDbObjectId id;
    Acad::ErrorStatus es = record->appendAcDbEntity(id, entity);
    record->close();
    if (es != Acad::eOk) delete entity;
    require(es, "appending an entity");
    if (!layer_name.empty()) {
        es = entity->setLayer(layer_name.c_str());
        if (es == Acad::eKeyNotFound) {
            // A new layer is made on first use; an existing one keeps its flags.
            layer(layer_name);
            es = entity->setLayer(layer_name.c_str());
        }
    }
    entity->close();
    require(es, "setting the layer");
    return id;
}

AcDbObjectId DrawingBuilder::define_block(const std::wstring& name, const AcGePoint3d& origin) {
    AcDbBlockTable* table = nullptr;
    require(mDatabase->getBlockTable(table, AcDb::kForWrite), "opening the block table");
    auto* record = new AcDbBlockTableRecord();
    record->setName(name.c_str());
    record->setOrigin(origin);
    AcDbObjectId id;
    Acad::ErrorStatus es = table->add(id, record);
    table->close();
    if (es != Acad::eOk) delete record;
    require(es, "adding a block");
    record->close();
    return id;
}

AcDbObjectId DrawingBuilder::insert(AcDbObjectId block, const Placement& placement,
                                    const std::wstring& layer_name, AcDbObjectId into) {
    auto* reference = new AcDbBlockReference(placement.position, block);
    reference->setRotation(placement.rotation);
    reference->setScaleFactors(placement.scale);
    reference->setNormal(placement.normal);
    return add(reference, layer_name, into);
}

void DrawingBuilder::erase(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    require(acdbOpenObject(object, id, AcDb::kForWrite), "opening for erase");
    Acad::ErrorStatus es = object->erase();
    object->close();
    require(es, "erasing");
}

AcDbObjectId DrawingBuilder::attach_xref(const std::wstring& name, const std::wstring& path,
                                         std::unique_ptr<AcDbDatabase> referenced,
                                         AcDb::XrefStatus status) {
    const AcDbObjectId record_id = define_block(name);
    AcDbBlockTableRecord* record = record_of(record_id);
    AcDbObject* opened = nullptr;
    require(acdbOpenObject(opened, record_id, AcDb::kForWrite), "opening the reference record");
    record->setPathName(path.c_str());
    record->close();
    if (status == AcDb::kXrfResolved && referenced != nullptr) {
        korv_host::bind_xref(mDatabase, record_id, std::move(referenced), path);
    } else {
        korv_host::set_xref_status(record_id, status);
    }
    return record_id;
}

void DrawingBuilder::mirror_nested_references(AcDbDatabase* referenced, AcDbObjectId) {
    korv_host::mirror_nested_references(mDatabase, referenced);
}

}  // namespace host_test
