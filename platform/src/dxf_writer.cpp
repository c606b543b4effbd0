#include "dxf_writer.h"

#include <dbdict.h>
#include <dbents.h>
#include <dbproxy.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "dxf_filer.h"
#include "host_state.h"
#include "host_work.h"
#include "rx_registry.h"
#include "side_data.h"
#include "text.h"

namespace korv_host::dxf {
namespace {

struct ClassUse {
    std::wstring class_name;
    std::wstring app_name;
    bool is_entity = false;
    int count = 0;
};

// Where the extended data of the object whose tags start at `begin` starts: the offset of
// its first 1001 tag, or the text's end.
size_t extended_data_start(const std::string& text, size_t begin) {
    TagScanner scanner(text, begin, 1);
    Tag tag;
    for (bool first = true; scanner.next(tag); first = false) {
        if (!first && tag.code == 1001) return scanner.tag_offset();
    }
    return text.size();
}

class Writer {
public:
    explicit Writer(AcDbDatabase* db) : mDb(db), mNext(db->impl().next_handle) {}

    Acad::ErrorStatus write(std::vector<std::string>& parts);

private:
    uint64_t synthetic();
    std::string handle(uint64_t value) const { return format_handle(value); }
    std::string handle(const AcDbObjectId& id) const { return format_handle(id.handle()); }
    void tag(TagText& out, int code, std::string_view value) { out.add(code, value); }

    std::vector<AcDbObjectId> live(const std::vector<AcDbObjectId>& ids) const;
    const std::vector<AcDbObjectId>& records(AcDbObjectId table) const;
    std::wstring dxf_name(const AcDbObject* object);
    Acad::ErrorStatus write_object(TagText& out, AcDbObjectId id);
    Acad::ErrorStatus write_side_data(TagText& out, const AcDbObject* object);
    Acad::ErrorStatus write_entities(TagText& out, const AcDbBlockTableRecord* record);
    Acad::ErrorStatus write_attributes(TagText& out, const AcDbBlockReference* reference);
    Acad::ErrorStatus write_root(TagText& out,
                                 const std::vector<std::pair<std::string, uint64_t>>& entries);

    void write_header(TagText& out);
    void write_classes(TagText& out);
    Acad::ErrorStatus write_tables(TagText& out);
    void open_table(TagText& out, const char* name, uint64_t handle, size_t count);
    void write_line_types(TagText& out);
    void write_applications(TagText& out);
    Acad::ErrorStatus write_block_records(TagText& out);
    Acad::ErrorStatus write_blocks(TagText& out);
    void write_block_marker(TagText& out, const char* type, const AcDbBlockTableRecord* record);
    Acad::ErrorStatus write_objects(TagText& out);
    void write_dictionary(TagText& out, uint64_t own, uint64_t owner,
                          const std::vector<std::pair<std::string, uint64_t>>& entries);
    void write_layout(TagText& out, uint64_t own, const std::string& name, int order,
                      AcDbObjectId record);

    AcDbDatabase* mDb;
    uint64_t mNext;
    std::map<std::wstring, ClassUse> mClasses;  // by DXF name
    std::map<AcDbObjectId, uint64_t> mLayouts;  // layout record -> its LAYOUT's handle
    uint64_t mRoot = 0, mGroups = 0, mLayoutDictionary = 0;
};

std::vector<AcDbObjectId> Writer::live(const std::vector<AcDbObjectId>& ids) const {
    std::vector<AcDbObjectId> kept;
    for (const AcDbObjectId& id : ids) {
        if (id.isValid() && !id.isErased()) kept.push_back(id);
    }
    return kept;
}

const std::vector<AcDbObjectId>& Writer::records(AcDbObjectId table_id) const {
    static const std::vector<AcDbObjectId> none;
    auto* table = peek<AcDbSymbolTable>(table_id);
    return table ? table->recordIds() : none;
}

// The object's type name in the file; classes without one file under their class name.
std::wstring Writer::dxf_name(const AcDbObject* object) {
    if (auto* proxy = AcDbProxyEntity::cast(object)) {
        if (*proxy->originalClassName() != L'\0') {
            mClasses[proxy->originalDxfName()] = {proxy->originalClassName(),
                                                  proxy->originalAppName(), true, 0};
        }
        ++mClasses[proxy->originalDxfName()].count;
        return proxy->originalDxfName();
    }
    AcRxClass* cls = object->isA();
    std::wstring name = cls->dxfName();
    if (name.empty()) {
        name = upper_case(cls->name());
        mClasses[name] = {cls->name(), cls->appName(), object->isKindOf(AcDbEntity::desc()), 0};
    }
    ++mClasses[name].count;
    return name;
}

// A handle for what the file needs and the database holds no object for (table heads,
// layouts, the root dictionaries): from the database's next handle on and, once the handle
// space is used up, through the gaps below it; never one a resident object has.
uint64_t Writer::synthetic() {
    const auto& resident = mDb->impl().by_handle;
    for (;; ++mNext) {
        if (mNext == 0) mNext = 1;
        if (resident.count(mNext) == 0) return mNext++;
    }
}

Acad::ErrorStatus Writer::write_object(TagText& out, AcDbObjectId id) {
    AcDbObject* object = nullptr;
    const bool opened = acdbOpenObject(object, id, AcDb::kForRead) == Acad::eOk;
    if (!opened) object = peek<AcDbObject>(id);  // open for write by its user: file it as it is
    tag(out, 0, narrow(dxf_name(object)));
    OutFiler filer(mDb, out);
    Acad::ErrorStatus es = object->dxfOutFields(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es == Acad::eOk) es = write_side_data(out, object);
    if (opened) object->close();
    return es;
}

Acad::ErrorStatus Writer::write_side_data(TagText& out, const AcDbObject* object) {
    for (const auto& side : side_data_filers()) {
        const TagText::Mark mark = out.mark();
        tag(out, 1001, narrow(side.app_name));
        OutFiler filer(mDb, out);
        Acad::ErrorStatus es = side.write ? side.write(*object, filer) : Acad::eOk;
        if (es != Acad::eOk) return es;
        if (out.count() == mark.count + 1) out.cut(mark);
    }
    return Acad::eOk;
}

Acad::ErrorStatus Writer::write_entities(TagText& out, const AcDbBlockTableRecord* record) {
    for (const AcDbObjectId& id : live(record->entityIds())) {
        Acad::ErrorStatus es = write_object(out, id);
        if (es != Acad::eOk) return es;
        auto* reference = AcDbBlockReference::cast(peek<AcDbObject>(id));
        if (reference != nullptr && (es = write_attributes(out, reference)) != Acad::eOk) {
            return es;
        }
    }
    return Acad::eOk;
}

// An insert's attributes follow it, closed by a sequence end.
Acad::ErrorStatus Writer::write_attributes(TagText& out, const AcDbBlockReference* reference) {
    const std::vector<AcDbObjectId> attributes = live(reference->attributeIds());
    if (attributes.empty()) return Acad::eOk;
    for (const AcDbObjectId& id : attributes) {
        Acad::ErrorStatus es = write_object(out, id);
        if (es != Acad::eOk) return es;
    }
    tag(out, 0, "SEQEND");
    tag(out, 5, handle(synthetic()));
    tag(out, 330, handle(reference->objectId()));
    tag(out, 100, "AcDbEntity");
    tag(out, 8, "0");
    return Acad::eOk;
}

// ----- sections ----------------------------------------------------------------------------

void Writer::write_header(TagText& out) {
    tag(out, 0, "SECTION");
    tag(out, 2, "HEADER");
    tag(out, 9, "$ACADVER");
    tag(out, 1, "AC1032");
    tag(out, 9, "$ACADMAINTVER");
    tag(out, 70, "105");
    tag(out, 9, "$DWGCODEPAGE");
    tag(out, 3, "ANSI_1252");
    tag(out, 9, "$HANDSEED");
    tag(out, 5, handle(mNext));
    tag(out, 0, "ENDSEC");
}

void Writer::write_classes(TagText& out) {
    for (AcRxClass* cls : registered_classes()) {
        const std::wstring dxf = cls->dxfName();
        if (dxf.empty() || same_name_ignoring_case(cls->appName(), L"AutoCAD")) continue;
        auto& use = mClasses[dxf];
        use.class_name = cls->name();
        use.app_name = cls->appName();
        use.is_entity = cls->isDerivedFrom(AcDbEntity::desc());
    }
    tag(out, 0, "SECTION");
    tag(out, 2, "CLASSES");
    for (const auto& [dxf, use] : mClasses) {
        if (use.class_name.empty()) continue;
        tag(out, 0, "CLASS");
        tag(out, 1, narrow(dxf));
        tag(out, 2, narrow(use.class_name));
        tag(out, 3, narrow(use.app_name.empty() ? L"KORVHOST" : use.app_name));
        tag(out, 90, "0");
        tag(out, 91, std::to_string(use.count));
        tag(out, 280, "0");
        tag(out, 281, use.is_entity ? "1" : "0");
    }
    tag(out, 0, "ENDSEC");
}

void Writer::open_table(TagText& out, const char* name, uint64_t own, size_t count) {
    tag(out, 0, "TABLE");
    tag(out, 2, name);
    tag(out, 5, handle(own));
    tag(out, 330, "0");
    tag(out, 100, "AcDbSymbolTable");
    // A 16-bit field that readers take as a hint: a larger table gives the largest value.
    tag(out, 70, std::to_string(std::min<size_t>(count, 32767)));
}

void Writer::write_line_types(TagText& out) {
    const uint64_t table = synthetic();
    open_table(out, "LTYPE", table, 3);
    for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
        tag(out, 0, "LTYPE");
        tag(out, 5, handle(synthetic()));
        tag(out, 330, handle(table));
        tag(out, 100, "AcDbSymbolTableRecord");
        tag(out, 100, "AcDbLinetypeTableRecord");
        tag(out, 2, name);
        tag(out, 70, "0");
        tag(out, 3, std::string(name) == "Continuous" ? "Solid line" : "");
        tag(out, 72, "65");
        tag(out, 73, "0");
        tag(out, 40, "0.0");
    }
    tag(out, 0, "ENDTAB");
}

void Writer::write_applications(TagText& out) {
    std::vector<std::wstring> names{L"ACAD"};
    for (const auto& side : side_data_filers()) names.push_back(side.app_name);
    const uint64_t table = synthetic();
    open_table(out, "APPID", table, names.size());
    for (const std::wstring& name : names) {
        tag(out, 0, "APPID");
        tag(out, 5, handle(synthetic()));
        tag(out, 330, handle(table));
        tag(out, 100, "AcDbSymbolTableRecord");
        tag(out, 100, "AcDbRegAppTableRecord");
        tag(out, 2, narrow(name));
        tag(out, 70, "0");
    }
    tag(out, 0, "ENDTAB");
}

Acad::ErrorStatus Writer::write_tables(TagText& out) {
    tag(out, 0, "SECTION");
    tag(out, 2, "TABLES");
    write_line_types(out);
    const std::vector<AcDbObjectId> layers = live(records(mDb->layerTableId()));
    open_table(out, "LAYER", mDb->layerTableId().handle(), layers.size());
    for (const AcDbObjectId& id : layers) {
        Acad::ErrorStatus es = write_object(out, id);
        if (es != Acad::eOk) return es;
    }
    tag(out, 0, "ENDTAB");
    write_applications(out);
    Acad::ErrorStatus es = write_block_records(out);
    tag(out, 0, "ENDSEC");
    return es;
}

Acad::ErrorStatus Writer::write_block_records(TagText& out) {
    const std::vector<AcDbObjectId> blocks = live(records(mDb->blockTableId()));
    open_table(out, "BLOCK_RECORD", mDb->blockTableId().handle(), blocks.size());
    for (const AcDbObjectId& id : blocks) {
        auto* record = peek<AcDbBlockTableRecord>(id);
        if (record->isLayout()) mLayouts[id] = synthetic();
        tag(out, 0, "BLOCK_RECORD");
        OutFiler filer(mDb, out);
        Acad::ErrorStatus es = record->AcDbSymbolTableRecord::dxfOutFields(&filer);
        if (es != Acad::eOk) return es;
        tag(out, 100, "AcDbBlockTableRecord");
        tag(out, 2, narrow(record->nameText()));
        tag(out, 340, record->isLayout() ? handle(mLayouts[id]) : "0");
        tag(out, 70, "0");
        tag(out, 280, "1");
        tag(out, 281, "0");
    }
    tag(out, 0, "ENDTAB");
    return Acad::eOk;
}

void Writer::write_block_marker(TagText& out, const char* type,
                                const AcDbBlockTableRecord* record) {
    const bool begin = std::string(type) == "BLOCK";
    tag(out, 0, type);
    tag(out, 5, handle(synthetic()));
    tag(out, 330, handle(record->objectId()));
    tag(out, 100, "AcDbEntity");
    if (record->nameText().rfind(L"*Paper_Space", 0) == 0) tag(out, 67, "1");
    tag(out, 8, "0");
    tag(out, 100, begin ? "AcDbBlockBegin" : "AcDbBlockEnd");
    if (!begin) return;
    const std::string name = narrow(record->nameText());
    int flags = record->isAnonymous() ? 1 : 0;
    if (record->isFromExternalReference()) flags |= record->isFromOverlayReference() ? 8 : 4;
    tag(out, 2, name);
    tag(out, 70, std::to_string(flags));
    tag(out, 10, format_real(record->origin().x));
    tag(out, 20, format_real(record->origin().y));
    tag(out, 30, format_real(record->origin().z));
    tag(out, 3, name);
    const ACHAR* path = nullptr;
    record->pathName(path);
    tag(out, 1, narrow(path ? path : L""));
}

Acad::ErrorStatus Writer::write_blocks(TagText& out) {
    tag(out, 0, "SECTION");
    tag(out, 2, "BLOCKS");
    for (const AcDbObjectId& id : live(records(mDb->blockTableId()))) {
        auto* record = peek<AcDbBlockTableRecord>(id);
        write_block_marker(out, "BLOCK", record);
        const bool in_entities =
            record->nameText() == ACDB_MODEL_SPACE || record->nameText() == ACDB_PAPER_SPACE;
        if (!in_entities) {
            Acad::ErrorStatus es = write_entities(out, record);
            if (es != Acad::eOk) return es;
        }
        write_block_marker(out, "ENDBLK", record);
    }
    tag(out, 0, "ENDSEC");
    return Acad::eOk;
}

void Writer::write_dictionary(TagText& out, uint64_t own, uint64_t owner,
                              const std::vector<std::pair<std::string, uint64_t>>& entries) {
    tag(out, 0, "DICTIONARY");
    tag(out, 5, handle(own));
    if (owner != 0) {
        tag(out, 102, "{ACAD_REACTORS");
        tag(out, 330, handle(owner));
        tag(out, 102, "}");
    }
    tag(out, 330, handle(owner));
    tag(out, 100, "AcDbDictionary");
    tag(out, 281, "1");
    for (const auto& [key, value] : entries) {
        tag(out, 3, key);
        tag(out, 350, handle(value));
    }
}

void Writer::write_layout(TagText& out, uint64_t own, const std::string& name, int order,
                          AcDbObjectId record) {
    tag(out, 0, "LAYOUT");
    tag(out, 5, handle(own));
    tag(out, 102, "{ACAD_REACTORS");
    tag(out, 330, handle(mLayoutDictionary));
    tag(out, 102, "}");
    tag(out, 330, handle(mLayoutDictionary));
    tag(out, 100, "AcDbPlotSettings");
    tag(out, 1, "");
    tag(out, 70, order == 0 ? "1712" : "688");
    tag(out, 100, "AcDbLayout");
    tag(out, 1, name);
    tag(out, 70, "1");
    tag(out, 71, std::to_string(order));
    tag(out, 330, handle(record));
}

// The named objects dictionary is the file's root, with the group and layout dictionaries
// the host regenerates at each save as entries of its own (unless it has such keys).
Acad::ErrorStatus Writer::write_root(TagText& out,
                                     const std::vector<std::pair<std::string, uint64_t>>& entries) {
    const AcDbObjectId root = mDb->namedObjectsDictionaryId();
    auto* dictionary = AcDbDictionary::cast(peek<AcDbObject>(root));
    if (dictionary == nullptr || dictionary->isErased()) {
        write_dictionary(out, mRoot, 0, entries);
        return Acad::eOk;
    }
    mRoot = root.handle();
    const TagText::Mark start = out.mark();
    Acad::ErrorStatus es = write_object(out, root);
    if (es != Acad::eOk) return es;
    TagText added;
    AcDbDictionary* reading = nullptr;
    const bool opened = acdbOpenObject(reading, root, AcDb::kForRead) == Acad::eOk;
    for (const auto& [key, value] : entries) {
        if (opened && reading->has(widen(key).c_str())) continue;
        added.add(3, key);
        added.add(350, handle(value));
    }
    if (opened) reading->close();
    out.add(added, extended_data_start(out.text(), start.size));
    return Acad::eOk;
}

Acad::ErrorStatus Writer::write_objects(TagText& out) {
    tag(out, 0, "SECTION");
    tag(out, 2, "OBJECTS");
    std::vector<std::pair<std::string, uint64_t>> layouts;
    int order = 0;
    for (const auto& [record, layout] : mLayouts) {
        const std::wstring name = peek<AcDbBlockTableRecord>(record)->nameText();
        layouts.push_back(
            {name == ACDB_MODEL_SPACE ? "Model" : "Layout" + std::to_string(++order), layout});
    }
    Acad::ErrorStatus es =
        write_root(out, {{"ACAD_GROUP", mGroups}, {"ACAD_LAYOUT", mLayoutDictionary}});
    if (es != Acad::eOk) return es;
    write_dictionary(out, mGroups, mRoot, {});
    write_dictionary(out, mLayoutDictionary, mRoot, layouts);
    for (size_t i = 0; i < layouts.size(); ++i) {
        const auto& [record, layout] = *std::next(mLayouts.begin(), static_cast<long>(i));
        const bool model = layouts[i].first == "Model";
        write_layout(out, layout, layouts[i].first,
                     model ? 0 : std::stoi(layouts[i].first.substr(6)), record);
    }
    for (AcDbStub* stub : mDb->impl().stubs) {
        AcDbObject* object = stub->object;
        if (object == nullptr || object->isErased() || object->isKindOf(AcDbEntity::desc()) ||
            object->objectId() == mDb->namedObjectsDictionaryId() ||
            object->isKindOf(AcDbSymbolTable::desc()) ||
            object->isKindOf(AcDbSymbolTableRecord::desc())) {
            continue;
        }
        if ((es = write_object(out, AcDbObjectId(stub))) != Acad::eOk) return es;
    }
    tag(out, 0, "ENDSEC");
    return Acad::eOk;
}

Acad::ErrorStatus Writer::write(std::vector<std::string>& parts) {
    HostWork host_work;
    TagText head, tables, blocks, entities, objects;
    Acad::ErrorStatus es = write_tables(tables);
    if (es == Acad::eOk) es = write_blocks(blocks);
    if (es != Acad::eOk) return es;
    tag(entities, 0, "SECTION");
    tag(entities, 2, "ENTITIES");
    for (const wchar_t* space : {ACDB_MODEL_SPACE, ACDB_PAPER_SPACE}) {
        for (const AcDbObjectId& id : live(records(mDb->blockTableId()))) {
            auto* record = peek<AcDbBlockTableRecord>(id);
            if (record->nameText() == space &&
                (es = write_entities(entities, record)) != Acad::eOk) {
                return es;
            }
        }
    }
    tag(entities, 0, "ENDSEC");
    mRoot = synthetic();
    mGroups = synthetic();
    mLayoutDictionary = synthetic();
    if ((es = write_objects(objects)) != Acad::eOk) return es;
    write_header(head);
    write_classes(head);
    tag(objects, 0, "EOF");
    parts.clear();
    for (TagText* part : {&head, &tables, &blocks, &entities, &objects}) {
        parts.push_back(part->take());
    }
    return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus write_database(AcDbDatabase* db, std::vector<std::string>& parts) {
    if (db == nullptr || db->blockTableId().isNull() || db->layerTableId().isNull()) {
        return Acad::eNoDatabase;
    }
    return Writer(db).write(parts);
}

}  // namespace korv_host::dxf
