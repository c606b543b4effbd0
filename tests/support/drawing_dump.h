// drawing_dump.h: a drawing as text, for comparing drawings in one assertion.
//
// dump_drawing writes every layer and block record (in table order) with the entities each
// one shows (a resolved reference shows its drawing's model space, as iterating it does),
// one line each, with handles, common properties and geometry (reals to 9 significant
// digits, so a value that went through degrees and back still compares equal). Classes
// it does not know are shown by class name; extra_entity_text lets a test add its own.
#pragma once

#include <dbents.h>
#include <dbobjptr.h>
#include <dbpl.h>
#include <dbproxy.h>
#include <dbsymtb.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace drawing_dump {

inline std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string real(double value) {
    if (value == 0.0) value = 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

inline std::string point(const AcGePoint3d& p) {
    return "(" + real(p.x) + "," + real(p.y) + "," + real(p.z) + ")";
}
inline std::string vector(const AcGeVector3d& v) {
    return point(AcGePoint3d(v.x, v.y, v.z));
}

inline std::string handle(const AcDbObjectId& id) {
    ACHAR text[AcDbHandle::kStrSiz];
    id.handle().getIntoAsciiBuffer(text);
    return narrow(text);
}

using ExtraText = std::function<std::string(const AcDbEntity*)>;

inline std::string entity_text(const AcDbEntity* entity, const ExtraText& extra) {
    ACHAR* layer = entity->layer();
    std::string text = narrow(entity->isA()->name()) + " h=" + handle(entity->objectId()) +
                       " layer=" + narrow(layer) +
                       " color=" + std::to_string(entity->colorIndex()) +
                       " lw=" + std::to_string(static_cast<int>(entity->lineWeight()));
    std::free(layer);
    if (auto* line = AcDbLine::cast(entity)) {
        text += " " + point(line->startPoint()) + "-" + point(line->endPoint());
    } else if (auto* arc = AcDbArc::cast(entity)) {
        text += " c=" + point(arc->center()) + " r=" + real(arc->radius()) +
                " a=" + real(arc->startAngle()) + ".." + real(arc->endAngle()) +
                " n=" + vector(arc->normal());
    } else if (auto* insert = AcDbBlockReference::cast(entity)) {
        AcDbObjectPointer<AcDbBlockTableRecord> block(insert->blockTableRecord(), AcDb::kForRead);
        const ACHAR* name = L"?";
        if (block.openStatus() == Acad::eOk) block->getName(name);
        text += " block=" + narrow(name) + " at=" + point(insert->position()) +
                " rot=" + real(insert->rotation()) + " scale=" +
                point(AcGePoint3d(insert->scaleFactors().sx, insert->scaleFactors().sy,
                                  insert->scaleFactors().sz)) +
                " n=" + vector(insert->normal());
        std::unique_ptr<AcDbObjectIterator> attributes(insert->attributeIterator());
        for (; attributes && !attributes->done(); attributes->step()) {
            AcDbObjectPointer<AcDbAttribute> attribute(attributes->objectId(), AcDb::kForRead);
            if (attribute.openStatus() != Acad::eOk) continue;
            text += " attribute h=" + handle(attribute->objectId()) + " " +
                    narrow(attribute->tagConst()) + "=" + narrow(attribute->textStringConst()) +
                    " at=" + point(attribute->position());
        }
    } else if (auto* polyline = AcDbPolyline::cast(entity)) {
        for (const auto& vertex : polyline->vertices()) {
            text += " " + point(AcGePoint3d(vertex.point.x, vertex.point.y, 0)) +
                    " b=" + real(vertex.bulge);
        }
    } else if (auto* proxy = AcDbProxyEntity::cast(entity)) {
        text += " of=" + narrow(proxy->originalDxfName()) +
                " items=" + std::to_string(proxy->items().size());
    }
    if (extra) text += extra(entity);
    return text;
}

inline std::string dump_drawing(AcDbDatabase* db, const ExtraText& extra = {},
                                const std::string& indent = "");

inline std::string record_text(AcDbBlockTableRecord* record, const ExtraText& extra,
                               const std::string& indent) {
    const ACHAR* path = L"";
    record->pathName(path);
    AcDbObjectIdArray references;
    record->getBlockReferenceIds(references);
    std::string text = indent + "block " + narrow(record->nameText()) +
                       " h=" + handle(record->objectId()) + " origin=" + point(record->origin()) +
                       " refs=" + std::to_string(references.length());
    if (record->isFromExternalReference()) {
        text += " xref=" + narrow(path) + " status=" + std::to_string(record->xrefStatus()) +
                " loaded=" + (record->xrefDatabase() ? "yes" : "no");
    }
    text += "\n";
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (record->newIterator(iterator) != Acad::eOk) return text;
    std::unique_ptr<AcDbBlockTableRecordIterator> owned(iterator);
    for (; !iterator->done(); iterator->step()) {
        AcDbEntity* entity = nullptr;
        if (iterator->getEntity(entity) != Acad::eOk) continue;
        text += indent + "  " + entity_text(entity, extra) + "\n";
        entity->close();
    }
    return text;
}

inline std::string dump_drawing(AcDbDatabase* db, const ExtraText& extra,
                                const std::string& indent) {
    std::string text;
    AcDbLayerTable* layers = nullptr;
    if (db->getLayerTable(layers) == Acad::eOk) {
        AcDbLayerTableIterator* iterator = nullptr;
        layers->newIterator(iterator);
        std::unique_ptr<AcDbLayerTableIterator> owned(iterator);
        for (; iterator && !iterator->done(); iterator->step()) {
            AcDbLayerTableRecord* layer = nullptr;
            if (iterator->getRecord(layer) != Acad::eOk) continue;
            text += indent + "layer " + narrow(layer->nameText()) +
                    " h=" + handle(layer->objectId()) +
                    " frozen=" + std::to_string(layer->isFrozen()) +
                    " off=" + std::to_string(layer->isOff()) +
                    " color=" + std::to_string(layer->colorIndex()) + "\n";
            layer->close();
        }
        layers->close();
    }
    AcDbBlockTable* blocks = nullptr;
    if (db->getBlockTable(blocks) != Acad::eOk) return text + "no block table\n";
    AcDbBlockTableIterator* iterator = nullptr;
    blocks->newIterator(iterator);
    std::unique_ptr<AcDbBlockTableIterator> owned(iterator);
    for (; iterator && !iterator->done(); iterator->step()) {
        AcDbBlockTableRecord* record = nullptr;
        if (iterator->getRecord(record) != Acad::eOk) continue;
        text += record_text(record, extra, indent);
        record->close();
    }
    blocks->close();
    return text;
}

}  // namespace drawing_dump
