// drawing_builder.h: a fluent way to make drawings for tests, tools and samples.
//
// A DrawingBuilder works on one database and leaves every object it touches closed. It
// makes layers (frozen, off), block definitions, inserts with a placement, and external
// references: a referenced drawing is built with its own DrawingBuilder, then attached to
// the host drawing with a status and inserted any number of times. Attaching a drawing that
// itself references others mirrors those nested references into the host's block table,
// as the host does: each nested record points at the nested drawing's database, and its
// block references are those that live in the parent reference's database.
#pragma once

#include <dbents.h>
#include <dbsymtb.h>

#include <memory>
#include <string>

namespace host_test {

struct Placement {
    AcGePoint3d position;
    double rotation = 0.0;  // radians, about the normal
    AcGeScale3d scale{1.0, 1.0, 1.0};
    AcGeVector3d normal = AcGeVector3d::kZAxis;
};

class DrawingBuilder {
public:
    explicit DrawingBuilder(AcDbDatabase* database);

    AcDbDatabase* database() const { return mDatabase; }
    AcDbObjectId model_space() const;
    AcDbObjectId paper_space() const;
    // The id of the block record of that name; null when there is none.
    AcDbObjectId block_id(const std::wstring& name) const;

    // The layer of that name, created when missing; frozen/off are applied either way.
    AcDbObjectId layer(const std::wstring& name, bool frozen = false, bool off = false);
    // Appends the entity (which the drawing then owns) to the block (model space when
    // null) on the layer (the current one when empty) and closes it.
    AcDbObjectId add(AcDbEntity* entity, const std::wstring& layer_name = L"",
                     AcDbObjectId block = AcDbObjectId());
    // A new block definition with that base point.
    AcDbObjectId define_block(const std::wstring& name, const AcGePoint3d& origin = {});
    // A block reference of the block, placed so; in model space when `into` is null.
    AcDbObjectId insert(AcDbObjectId block, const Placement& placement = {},
                        const std::wstring& layer_name = L"", AcDbObjectId into = AcDbObjectId());
    void erase(AcDbObjectId id);

    // Attaches the referenced drawing under the block name, as loaded from path with that
    // status. For kXrfResolved the database is bound and owned by this drawing; for any
    // other status the database (which may be null) is discarded, as the host keeps none.
    AcDbObjectId attach_xref(const std::wstring& name, const std::wstring& path,
                             std::unique_ptr<AcDbDatabase> referenced,
                             AcDb::XrefStatus status = AcDb::kXrfResolved);

private:
    void mirror_nested_references(AcDbDatabase* referenced, AcDbObjectId parent_record);
    AcDbDatabase* mDatabase;
};

// A new database with the default drawing (tables, spaces, layer "0").
std::unique_ptr<AcDbDatabase> new_drawing();

}  // namespace host_test
