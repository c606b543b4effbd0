#include "dxf_reader.h"

#include <dbdict.h>
#include <dbents.h>
#include <dbpl.h>
#include <dbproxy.h>

#include <algorithm>
#include <map>
#include <unordered_set>

#include "dxf_filer.h"
#include "host_state.h"
#include "host_work.h"
#include "side_data.h"
#include "text.h"

namespace korv_host::dxf {
namespace {

// One object of the file: the tags from its "0 TYPE" up to the next object. `own_end`
// leaves out the objects folded into it (the vertices of a polyline, the attributes of an
// insert).
struct Record {
    size_t begin = 0;
    size_t own_end = 0;
    size_t end = 0;
    std::string type;
    uint64_t handle = 0;
    std::vector<Record> attributes;  // of an insert
};

struct Block {
    Record begin;
    std::vector<Record> entities;
};

struct ClassInfo {
    std::wstring class_name;
    std::wstring app_name;
};

// Closes an object the reader opened, whatever path leaves the scope. Filling an object
// from the file is no change its persistent reactors hear of (quiet: closed unnotified).
struct Opened {
    AcDbObject* object = nullptr;
    bool quiet = false;
    ~Opened() {
        if (object == nullptr) return;
        if (quiet) {
            object->cancel();
        } else {
            object->close();
        }
    }
};

class Reader {
public:
    Reader(AcDbDatabase* db, Tags tags, std::vector<host_test::ReadRepair>& repairs)
        : mDb(db), mImpl(db->impl()), mTags(std::move(tags)), mRepairs(repairs) {}
    Acad::ErrorStatus read();

private:
    // ----- structure -----
    Acad::ErrorStatus split_sections();
    Acad::ErrorStatus split_records(size_t begin, size_t end, std::vector<Record>& records);
    Acad::ErrorStatus read_header(const std::vector<Record>& records, size_t begin, size_t end);
    Acad::ErrorStatus read_classes(const std::vector<Record>& records);
    Acad::ErrorStatus read_tables(const std::vector<Record>& records);
    Acad::ErrorStatus read_blocks(const std::vector<Record>& records);
    void fold_followers(std::vector<Record>& records);
    Acad::ErrorStatus collect_handles();
    const Tag* find(const Record& record, int code) const;
    std::wstring text(const Record& record, int code) const;
    std::wstring block_name(const Record& begin) const;
    void note(size_t index, uint64_t handle, std::string what);

    // ----- objects -----
    uint64_t handle_for(const Record& record) { return record.handle ? record.handle : fresh(); }
    // The next handle no record has; 0 once the handle space is used up.
    uint64_t fresh() { return mFresh == 0 ? 0 : mFresh++; }
    template <class Make>
    Acad::ErrorStatus with_handle(uint64_t handle, Make make);
    Acad::ErrorStatus make_tables();
    Acad::ErrorStatus make_layers();
    Acad::ErrorStatus make_block_records();
    Acad::ErrorStatus apply_block_begin(AcDbObjectId record_id, const Record& begin);
    AcDbObjectId ensure_block(const std::wstring& name);
    Acad::ErrorStatus make_entity(const Record& record, AcDbObjectId owner);
    Acad::ErrorStatus make_entities();
    Acad::ErrorStatus make_objects();
    void find_regenerated();
    AcRxClass* class_for(const std::string& type) const;
    AcDbObjectId owner_in_entities(const Record& record);
    Acad::ErrorStatus fill(AcDbObjectId id, const Record& record);
    Acad::ErrorStatus read_side_data(AcDbObject* object, const Record& record);
    void hoist_common_groups(const Record& record, uint64_t handle);
    bool resolve(uint64_t handle, AcDbObjectId& id) const;

    AcDbDatabase* mDb;
    DatabaseImpl& mImpl;
    Tags mTags;
    std::vector<host_test::ReadRepair>& mRepairs;
    ReadContext mContext;
    std::map<std::string, std::pair<size_t, size_t>> mHeader;  // $NAME -> value tag range
    std::map<std::wstring, ClassInfo> mClasses;                // by upper-case DXF name
    std::map<std::string, std::pair<Record, std::vector<Record>>> mTables;
    std::vector<Block> mBlocks;
    std::vector<Record> mEntities;
    std::vector<Record> mObjects;     // the OBJECTS section
    std::vector<Record> mPassedOver;  // kept as handles only (end markers, other sections)
    std::unordered_set<uint64_t> mFileHandles;
    std::unordered_set<uint64_t> mRegenerated;  // the layout and group trees the host rebuilds
    std::vector<std::pair<AcDbObjectId, Record>> mToFill;
    std::map<std::wstring, AcDbObjectId> mBlockIds;  // by upper-case name
    uint64_t mFresh = 1;
    bool mSawEof = false;
};

// ----- structure ---------------------------------------------------------------------------

const Tag* Reader::find(const Record& record, int code) const {
    for (size_t i = record.begin + 1; i < record.own_end; ++i) {
        if (mTags[i].code == 1001) break;
        if (mTags[i].code == code) return &mTags[i];
    }
    return nullptr;
}

std::wstring Reader::text(const Record& record, int code) const {
    const Tag* tag = find(record, code);
    return tag ? widen(tag->value) : std::wstring();
}

// A block's name; files of release 12 name the two spaces' blocks $MODEL_SPACE and
// $PAPER_SPACE.
std::wstring Reader::block_name(const Record& begin) const {
    const std::wstring name = text(begin, 2);
    if (upper_case(name) == L"$MODEL_SPACE") return ACDB_MODEL_SPACE;
    if (upper_case(name) == L"$PAPER_SPACE") return ACDB_PAPER_SPACE;
    return name;
}

void Reader::note(size_t index, uint64_t handle, std::string what) {
    if (!mContext.noted.insert(index).second) return;
    const Tag& tag = mTags[index];
    mRepairs.push_back({std::move(what), tag.line, handle, tag.code});
}

Acad::ErrorStatus Reader::split_records(size_t begin, size_t end, std::vector<Record>& records) {
    for (size_t i = begin; i < end;) {
        if (mTags[i].code != 0) return Acad::eBadDxfSequence;
        Record record;
        record.begin = i;
        record.type = mTags[i].value;
        for (++i; i < end && mTags[i].code != 0; ++i) {
        }
        record.own_end = record.end = i;
        for (size_t k = record.begin + 1; k < record.end && mTags[k].code != 1001; ++k) {
            if (mTags[k].code == 5 || mTags[k].code == 105) {
                if (!parse_handle(mTags[k].value, record.handle)) return Acad::eBadDxfSequence;
                break;
            }
        }
        records.push_back(record);
    }
    return Acad::eOk;
}

// A "0 ENDSEC" inside the header that header variables (group 9) follow is a stray one and
// is read past, noted as a repair. Some writers leave such files, and other readers refuse
// them; reading on is safe because group 9 belongs to the header alone, so what follows can
// be nothing but more header variables, and the header holds no drawing content. The real
// end of the header is the first ENDSEC that no variable follows.
size_t header_end(const Tags& tags, size_t begin, std::vector<size_t>& strays) {
    for (size_t end = begin; end < tags.size(); ++end) {
        if (tags[end].code != 0) continue;
        if (tags[end].value != "ENDSEC") return end;  // SECTION, EOF: never closed
        if (end + 1 < tags.size() && tags[end + 1].code == 9) {
            strays.push_back(end);
            continue;
        }
        return end;
    }
    return tags.size();
}

Acad::ErrorStatus Reader::split_sections() {
    size_t i = 0;
    while (i < mTags.size()) {
        const Tag& start = mTags[i];
        if (start.code == 0 && start.value == "EOF") {
            mSawEof = true;
            return i + 1 == mTags.size() ? Acad::eOk : Acad::eBadDxfSequence;
        }
        if (start.code != 0 || start.value != "SECTION" || i + 1 >= mTags.size() ||
            mTags[i + 1].code != 2) {
            return i + 1 >= mTags.size() ? Acad::eDwgNeedsRecovery : Acad::eBadDxfSequence;
        }
        const std::string name = mTags[i + 1].value;
        std::vector<size_t> strays;
        size_t end = i + 2;
        if (name == "HEADER") {
            end = header_end(mTags, i + 2, strays);
        } else {
            while (end < mTags.size() && !(mTags[end].code == 0 && mTags[end].value == "ENDSEC")) {
                if (mTags[end].code == 0 &&
                    (mTags[end].value == "SECTION" || mTags[end].value == "EOF")) {
                    return Acad::eDwgNeedsRecovery;  // the section was never closed
                }
                ++end;
            }
        }
        if (end >= mTags.size() || mTags[end].value != "ENDSEC") return Acad::eDwgNeedsRecovery;
        for (size_t stray : strays) note(stray, 0, "section end inside the header read past");
        std::vector<Record> records;
        Acad::ErrorStatus es = Acad::eOk;
        if (name == "HEADER") {
            es = read_header(records, i + 2, end);
        } else if (name == "CLASSES" || name == "TABLES" || name == "BLOCKS" ||
                   name == "ENTITIES" || name == "OBJECTS") {
            es = split_records(i + 2, end, records);
        } else {
            // THUMBNAILIMAGE, ACDSDATA ...: not kept, skipped whole (a thumbnail has no
            // records at all); the handles of the records they have are the file's.
            size_t first = i + 2;
            while (first < end && mTags[first].code != 0) ++first;
            es = split_records(first, end, mPassedOver);
        }
        if (es != Acad::eOk) return es;
        if (name == "CLASSES") es = read_classes(records);
        if (name == "TABLES") es = read_tables(records);
        if (name == "BLOCKS") es = read_blocks(records);
        if (name == "ENTITIES") {
            fold_followers(records);
            mEntities.insert(mEntities.end(), records.begin(), records.end());
        }
        if (name == "OBJECTS") mObjects.insert(mObjects.end(), records.begin(), records.end());
        if (es != Acad::eOk) return es;
        i = end + 1;
    }
    return Acad::eDwgNeedsRecovery;  // no EOF: the file was cut off
}

Acad::ErrorStatus Reader::read_header(const std::vector<Record>&, size_t begin, size_t end) {
    for (size_t i = begin; i < end;) {
        if (mTags[i].code == 0) {  // a stray section end (header_end)
            ++i;
            continue;
        }
        if (mTags[i].code != 9) return Acad::eBadDxfSequence;
        size_t next = i + 1;
        while (next < end && mTags[next].code != 9 && mTags[next].code != 0) ++next;
        mHeader[mTags[i].value] = {i + 1, next};
        i = next;
    }
    std::string version;
    auto found = mHeader.find("$ACADVER");
    if (found != mHeader.end() && found->second.first < found->second.second) {
        version = mTags[found->second.first].value;
    }
    // Release 13 (AC1012) brought subclass markers; files without a version are read the
    // same way, markers being optional rather than absent.
    mContext.markers_optional = version < "AC1012";
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read_classes(const std::vector<Record>& records) {
    for (const Record& record : records) {
        if (record.type != "CLASS") return Acad::eBadDxfSequence;
        const std::wstring dxf = upper_case(text(record, 1));
        if (dxf.empty()) return Acad::eBadDxfSequence;
        mClasses[dxf] = {text(record, 2), text(record, 3)};
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read_tables(const std::vector<Record>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].type != "TABLE") return Acad::eBadDxfSequence;
        const Tag* name = find(records[i], 2);
        if (name == nullptr) return Acad::eBadDxfSequence;
        auto& table = mTables[name->value];
        table.first = records[i];
        for (++i; i < records.size() && records[i].type != "ENDTAB"; ++i) {
            table.second.push_back(records[i]);
        }
        if (i >= records.size()) return Acad::eDwgNeedsRecovery;  // no ENDTAB
        mPassedOver.push_back(records[i]);  // its handle, if any, is the file's
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read_blocks(const std::vector<Record>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].type != "BLOCK") return Acad::eBadDxfSequence;
        Block block;
        block.begin = records[i];
        for (++i; i < records.size() && records[i].type != "ENDBLK"; ++i) {
            if (records[i].type == "BLOCK") return Acad::eDwgNeedsRecovery;
            block.entities.push_back(records[i]);
        }
        if (i >= records.size()) return Acad::eDwgNeedsRecovery;  // no ENDBLK
        mPassedOver.push_back(records[i]);
        fold_followers(block.entities);
        mBlocks.push_back(std::move(block));
    }
    return Acad::eOk;
}

// Vertices, attributes and sequence ends belong to the entity before them: an insert's
// attributes become its own, the rest stays part of the entity's data.
void Reader::fold_followers(std::vector<Record>& records) {
    std::vector<Record> kept;
    for (const Record& record : records) {
        const bool follower =
            record.type == "VERTEX" || record.type == "SEQEND" || record.type == "ATTRIB";
        if (follower && !kept.empty()) {
            if (record.type == "ATTRIB" && kept.back().type == "INSERT") {
                kept.back().attributes.push_back(record);
                continue;
            }
            mPassedOver.push_back(record);  // known handle, no object of its own
            kept.back().end = record.end;
        } else {
            kept.push_back(record);
        }
    }
    records = std::move(kept);
}

Acad::ErrorStatus Reader::collect_handles() {
    uint64_t highest = 0;
    auto note = [&](const Record& record) {
        if (record.handle == 0) return true;
        highest = std::max(highest, record.handle);
        return mFileHandles.insert(record.handle).second;
    };
    bool unique = true;
    for (auto& [name, table] : mTables) {
        unique = note(table.first) && unique;
        for (const Record& record : table.second) unique = note(record) && unique;
    }
    for (const Block& block : mBlocks) {
        unique = note(block.begin) && unique;
        for (const Record& record : block.entities) unique = note(record) && unique;
    }
    for (const Record& record : mEntities) {
        unique = note(record) && unique;
        for (const Record& attribute : record.attributes) unique = note(attribute) && unique;
    }
    for (const Block& block : mBlocks) {
        for (const Record& record : block.entities) {
            for (const Record& attribute : record.attributes) unique = note(attribute) && unique;
        }
    }
    for (const Record& record : mObjects) unique = note(record) && unique;
    for (const Record& record : mPassedOver) unique = note(record) && unique;
    if (!unique) return Acad::eDwgNeedsRecovery;
    uint64_t seed = 0;
    auto found = mHeader.find("$HANDSEED");
    if (found != mHeader.end() && found->second.first < found->second.second) {
        parse_handle(mTags[found->second.first].value, seed);
    }
    mFresh = highest == UINT64_MAX ? 0 : std::max({seed, highest + 1, uint64_t{1}});
    mImpl.next_handle = mFresh;
    return Acad::eOk;
}

// ----- objects -----------------------------------------------------------------------------

template <class Make>
Acad::ErrorStatus Reader::with_handle(uint64_t handle, Make make) {
    mImpl.next_handle = handle;  // the next object made resident takes this handle
    Acad::ErrorStatus es = make();
    mImpl.next_handle = mFresh;
    return es;
}

Acad::ErrorStatus Reader::make_tables() {
    auto handle_of = [&](const char* name) {
        auto found = mTables.find(name);
        return found != mTables.end() && found->second.first.handle ? found->second.first.handle
                                                                    : fresh();
    };
    auto add_table = [&](AcDbSymbolTable* table, const char* name) {
        const AcDbObjectId id = mImpl.add_object(table, AcDbObjectId(), handle_of(name));
        if (id.isNull()) {
            delete table;
        } else {
            table->close();
        }
        return id;
    };
    mImpl.block_table = add_table(new AcDbBlockTable(), "BLOCK_RECORD");
    mImpl.layer_table = add_table(new AcDbLayerTable(), "LAYER");
    mImpl.next_handle = mFresh;
    if (mImpl.block_table.isNull() || mImpl.layer_table.isNull()) {
        return DatabaseImpl::kHandlesExhausted;
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::make_layers() {
    AcDbLayerTable* table = nullptr;
    Acad::ErrorStatus es = mDb->getLayerTable(table, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Opened guard{table};
    for (const Record& record : mTables["LAYER"].second) {
        if (record.type != "LAYER") return Acad::eBadDxfSequence;
        const std::wstring name = text(record, 2);
        auto* layer = new AcDbLayerTableRecord();
        if (layer->setName(name.c_str()) != Acad::eOk) {
            delete layer;
            return Acad::eBadDxfSequence;
        }
        AcDbObjectId id;
        es = with_handle(handle_for(record), [&] { return table->add(id, layer); });
        if (es != Acad::eOk) {
            delete layer;
            return Acad::eDwgNeedsRecovery;  // a name used twice
        }
        layer->close();
        mToFill.push_back({id, record});
    }
    if (table->getAt(ACDB_LAYER_ZERO, mImpl.layer_zero) != Acad::eOk) {
        auto* zero = new AcDbLayerTableRecord();
        zero->setName(ACDB_LAYER_ZERO);
        mImpl.next_handle = fresh();
        es = table->add(mImpl.layer_zero, zero);
        mImpl.next_handle = mFresh;
        if (es != Acad::eOk) {
            delete zero;
            return es;
        }
        zero->close();
    }
    return Acad::eOk;
}

AcDbObjectId Reader::ensure_block(const std::wstring& name) {
    auto found = mBlockIds.find(upper_case(name));
    if (found != mBlockIds.end()) return found->second;
    AcDbBlockTable* table = nullptr;
    if (name.empty() || mDb->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return {};
    Opened guard{table};
    auto* record = new AcDbBlockTableRecord();
    AcDbObjectId id;
    if (record->setName(name.c_str()) != Acad::eOk ||
        with_handle(fresh(), [&] { return table->add(id, record); }) != Acad::eOk) {
        delete record;
        return {};
    }
    record->close();
    mBlockIds[upper_case(name)] = id;
    return id;
}

Acad::ErrorStatus Reader::make_block_records() {
    {
        AcDbBlockTable* table = nullptr;
        Acad::ErrorStatus es = mDb->getBlockTable(table, AcDb::kForWrite);
        if (es != Acad::eOk) return es;
        Opened guard{table};
        for (const Record& record : mTables["BLOCK_RECORD"].second) {
            if (record.type != "BLOCK_RECORD") return Acad::eBadDxfSequence;
            const std::wstring name = text(record, 2);
            auto* block = new AcDbBlockTableRecord();
            AcDbObjectId id;
            if (block->setName(name.c_str()) != Acad::eOk || with_handle(handle_for(record), [&] {
                                                                 return table->add(id, block);
                                                             }) != Acad::eOk) {
                delete block;
                return Acad::eDwgNeedsRecovery;
            }
            block->close();
            mBlockIds[upper_case(name)] = id;
        }
    }
    for (const Block& block : mBlocks) {
        const AcDbObjectId id = ensure_block(block_name(block.begin));
        if (id.isNull()) return Acad::eDwgNeedsRecovery;
        Acad::ErrorStatus es = apply_block_begin(id, block.begin);
        if (es != Acad::eOk) return es;
    }
    if (ensure_block(ACDB_MODEL_SPACE).isNull() || ensure_block(ACDB_PAPER_SPACE).isNull()) {
        return Acad::eDwgNeedsRecovery;
    }
    return Acad::eOk;
}

// The definition's own data: base point, and for a reference its path and kind.
Acad::ErrorStatus Reader::apply_block_begin(AcDbObjectId record_id, const Record& begin) {
    AcDbBlockTableRecord* record = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(record, record_id, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Opened guard{record};
    AcGePoint3d origin;
    int64_t flags = 0;
    const Tag* tag = nullptr;
    if ((tag = find(begin, 10))) parse_real(tag->value, origin.x);
    if ((tag = find(begin, 20))) parse_real(tag->value, origin.y);
    if ((tag = find(begin, 30))) parse_real(tag->value, origin.z);
    if ((tag = find(begin, 70))) parse_integer(tag->value, flags);
    record->setOrigin(origin);
    if ((flags & (4 | 8)) != 0) {
        std::wstring path = text(begin, 1);
        record->setPathName(path.empty() ? record->nameText().c_str() : path.c_str());
        record->setOverlaid((flags & 8) != 0);
    }
    return Acad::eOk;
}

AcRxClass* Reader::class_for(const std::string& type) const {
    const std::wstring dxf = upper_case(widen(type));
    auto declared = mClasses.find(dxf);
    if (declared != mClasses.end()) {
        if (AcRxClass* cls = acrxFindAcRxClass(declared->second.class_name.c_str())) return cls;
        return nullptr;
    }
    return acrxFindAcRxClassByDxfName(dxf.c_str());
}

Acad::ErrorStatus Reader::make_entity(const Record& record, AcDbObjectId owner_id) {
    AcRxClass* cls = class_for(record.type);
    AcDbEntity* entity = nullptr;
    if (cls != nullptr && cls->isDerivedFrom(AcDbEntity::desc()) &&
        cls != AcDbProxyEntity::desc()) {
        entity = AcDbEntity::cast(cls->create());
    }
    if (entity == nullptr) {
        auto* proxy = new AcDbProxyEntity();
        auto declared = mClasses.find(upper_case(widen(record.type)));
        proxy->setOriginal(declared != mClasses.end() ? declared->second.class_name : L"",
                           widen(record.type),
                           declared != mClasses.end() ? declared->second.app_name : L"");
        entity = proxy;
    }
    AcDbBlockTableRecord* owner = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(owner, owner_id, AcDb::kForWrite);
    if (es != Acad::eOk) {
        delete entity;
        return es;
    }
    Opened guard{owner};
    AcDbObjectId id;
    es = with_handle(handle_for(record), [&] { return owner->appendAcDbEntity(id, entity); });
    if (es != Acad::eOk) {
        delete entity;
        return es;
    }
    Opened entity_guard{entity};
    mToFill.push_back({id, record});
    auto* reference = AcDbBlockReference::cast(entity);
    for (const Record& attribute : record.attributes) {
        if (reference == nullptr) break;
        auto* made = AcDbAttribute::cast(
            class_for(attribute.type) ? class_for(attribute.type)->create() : nullptr);
        if (made == nullptr) return Acad::eDwgNeedsRecovery;
        AcDbObjectId attribute_id;
        es = with_handle(handle_for(attribute),
                         [&] { return reference->appendAttribute(attribute_id, made); });
        if (es != Acad::eOk) {
            delete made;
            return es;
        }
        made->close();
        mToFill.push_back({attribute_id, attribute});
    }
    return Acad::eOk;
}

// Where an entity of the ENTITIES section lives: the block record its owner handle names,
// else model or paper space by its paper-space flag. An owner that is no block of the file
// is a repair: the entity goes where its flag says.
AcDbObjectId Reader::owner_in_entities(const Record& record) {
    bool in_group = false;
    for (size_t i = record.begin + 1; i < record.own_end; ++i) {
        const Tag& tag = mTags[i];
        if (tag.code == 100) break;
        if (tag.code == 102) in_group = !tag.value.empty() && tag.value[0] == '{';
        if (tag.code != 330 || in_group) continue;
        uint64_t handle = 0;
        parse_handle(tag.value, handle);
        auto found = mImpl.by_handle.find(handle);
        if (found != mImpl.by_handle.end() && found->second->object != nullptr &&
            found->second->object->isKindOf(AcDbBlockTableRecord::desc())) {
            return AcDbObjectId(found->second);
        }
        note(i, record.handle, "owner that is no block of the file replaced by its space");
        break;
    }
    const Tag* paper = find(record, 67);
    int64_t flag = 0;
    if (paper) parse_integer(paper->value, flag);
    return ensure_block(flag == 1 ? ACDB_PAPER_SPACE : ACDB_MODEL_SPACE);
}

Acad::ErrorStatus Reader::make_entities() {
    for (const Block& block : mBlocks) {
        const AcDbObjectId owner = ensure_block(block_name(block.begin));
        for (const Record& record : block.entities) {
            Acad::ErrorStatus es = make_entity(record, owner);
            if (es != Acad::eOk) return es;
        }
    }
    for (const Record& record : mEntities) {
        const AcDbObjectId owner = owner_in_entities(record);
        if (owner.isNull()) return Acad::eDwgNeedsRecovery;
        Acad::ErrorStatus es = make_entity(record, owner);
        if (es != Acad::eOk) return es;
    }
    return Acad::eOk;
}

// The root dictionary's layout and group entries, and what those dictionaries hold, are
// rebuilt by the host at each save: they are not read back as objects.
void Reader::find_regenerated() {
    if (mObjects.empty() || mObjects.front().type != "DICTIONARY") return;
    auto entries_of = [this](const Record& record) {
        std::vector<std::pair<std::wstring, uint64_t>> entries;
        std::wstring key;
        for (size_t i = record.begin + 1; i < record.own_end; ++i) {
            uint64_t handle = 0;
            if (mTags[i].code == 3) key = upper_case(widen(mTags[i].value));
            if ((mTags[i].code == 350 || mTags[i].code == 360) &&
                parse_handle(mTags[i].value, handle)) {
                entries.push_back({key, handle});
            }
        }
        return entries;
    };
    for (const auto& [key, handle] : entries_of(mObjects.front())) {
        if (key != L"ACAD_LAYOUT" && key != L"ACAD_GROUP") continue;
        mRegenerated.insert(handle);
        for (const Record& record : mObjects) {
            if (record.handle != handle) continue;
            for (const auto& entry : entries_of(record)) mRegenerated.insert(entry.second);
        }
    }
}

Acad::ErrorStatus Reader::make_objects() {
    find_regenerated();
    for (const Record& record : mObjects) {
        if (mRegenerated.count(record.handle) != 0) continue;
        AcRxClass* cls = class_for(record.type);
        if (cls == nullptr || cls->isDerivedFrom(AcDbEntity::desc()) ||
            cls->isDerivedFrom(AcDbSymbolTable::desc()) ||
            cls->isDerivedFrom(AcDbSymbolTableRecord::desc()) ||
            !cls->isDerivedFrom(AcDbObject::desc())) {
            continue;
        }
        auto* object = AcDbObject::cast(cls->create());
        if (object == nullptr) continue;
        AcDbObjectId id;
        Acad::ErrorStatus es =
            with_handle(handle_for(record), [&] { return mDb->addAcDbObject(id, object); });
        if (es != Acad::eOk) {
            delete object;
            return es;
        }
        object->close();
        mToFill.push_back({id, record});
        if (&record == &mObjects.front() && object->isKindOf(AcDbDictionary::desc())) {
            mImpl.named_objects = id;
        }
    }
    if (mImpl.named_objects.isNull()) {
        auto* root = new AcDbDictionary();
        mImpl.named_objects = mImpl.add_object(root, AcDbObjectId(), fresh());
        if (mImpl.named_objects.isNull()) {
            delete root;
            return DatabaseImpl::kHandlesExhausted;
        }
        root->close();
        mImpl.next_handle = mFresh;
    }
    return Acad::eOk;
}

bool Reader::resolve(uint64_t handle, AcDbObjectId& id) const {
    id.setNull();
    auto found = mImpl.by_handle.find(handle);
    if (found != mImpl.by_handle.end() && found->second->object != nullptr &&
        mRegenerated.count(handle) == 0) {
        id = AcDbObjectId(found->second);
        return true;
    }
    return mFileHandles.count(handle) != 0;
}

// Some writers put an entity's common groups (layer, color, line weight ...) before its
// "100 AcDbEntity" marker: they are moved behind it, where the entity reads them. The
// object's own groups (handle, reactors, owner) stay in front.
void Reader::hoist_common_groups(const Record& record, uint64_t handle) {
    size_t marker = record.begin + 1;
    while (marker < record.own_end && mTags[marker].code != 100) ++marker;
    if (marker == record.own_end || mTags[marker].value != "AcDbEntity") return;
    static const int kCommon[] = {6, 8, 48, 60, 62, 67, 284, 347, 370, 380, 390, 420, 430, 440};
    Tags object_level, common;
    bool in_group = false;
    for (size_t i = record.begin + 1; i < marker; ++i) {
        const Tag& tag = mTags[i];
        if (tag.code == 102) in_group = !tag.value.empty() && tag.value[0] == '{';
        if (in_group || tag.code == 5 || tag.code == 102 || tag.code == 330 || tag.code == 360) {
            object_level.push_back(tag);
        } else if (std::find(std::begin(kCommon), std::end(kCommon), tag.code) !=
                   std::end(kCommon)) {
            note(i, handle, "common group before the entity's marker moved behind it");
            common.push_back(tag);
        } else {
            return;  // neither the object's nor the entity's: left for the entity to refuse
        }
    }
    if (common.empty()) return;
    object_level.push_back(mTags[marker]);
    object_level.insert(object_level.end(), common.begin(), common.end());
    std::move(object_level.begin(), object_level.end(),
              mTags.begin() + static_cast<std::ptrdiff_t>(record.begin + 1));
}

Acad::ErrorStatus Reader::fill(AcDbObjectId id, const Record& record) {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(object, id, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Opened guard{object, true};
    const bool proxy = object->isKindOf(AcDbProxyEntity::desc());
    const auto handle = static_cast<uint64_t>(object->objectId().handle());
    if (object->isKindOf(AcDbEntity::desc())) hoist_common_groups(record, handle);
    InFiler filer(mDb, mTags, record.begin + 1, proxy ? record.end : record.own_end, handle,
                  mContext);
    es = object->dxfInFields(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es == Acad::eOk && !proxy) es = read_side_data(object, record);
    return es;
}

Acad::ErrorStatus Reader::read_side_data(AcDbObject* object, const Record& record) {
    size_t i = record.begin + 1;
    while (i < record.own_end && mTags[i].code != 1001) ++i;
    while (i < record.own_end) {
        size_t next = i + 1;
        while (next < record.own_end && mTags[next].code != 1001) ++next;
        const host_test::SideDataFiler* side = side_data_filer(widen(mTags[i].value));
        if (side != nullptr && side->read) {
            InFiler filer(mDb, mTags, i + 1, next,
                          static_cast<uint64_t>(object->objectId().handle()), mContext);
            Acad::ErrorStatus es = side->read(*object, filer);
            if (es != Acad::eOk) return es;
        }
        i = next;
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read() {
    HostWork host_work;
    mContext.resolve = [this](uint64_t handle, AcDbObjectId& id) { return resolve(handle, id); };
    mContext.repairs = &mRepairs;
    mContext.markers_optional = true;  // until the header names a release that has them
    Acad::ErrorStatus es = split_sections();
    if (es == Acad::eOk) es = collect_handles();
    if (es == Acad::eOk) es = make_tables();
    if (es == Acad::eOk) es = make_layers();
    if (es == Acad::eOk) es = make_block_records();
    if (es == Acad::eOk) es = make_entities();
    if (es == Acad::eOk) es = make_objects();
    for (size_t i = 0; es == Acad::eOk && i < mToFill.size(); ++i) {
        es = fill(mToFill[i].first, mToFill[i].second);
    }
    if (mImpl.next_handle != 0) mImpl.next_handle = std::max(mImpl.next_handle, mFresh);
    std::stable_sort(mRepairs.begin(), mRepairs.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    return es;
}

// The host's own classes that drawing files name, registered before a file asks for them
// (a class registers itself on first use otherwise).
void register_host_classes() {
    for (AcRxClass* cls :
         {AcDbBlockTable::desc(), AcDbBlockTableRecord::desc(), AcDbLayerTable::desc(),
          AcDbLayerTableRecord::desc(), AcDbBlockReference::desc(), AcDbLine::desc(),
          AcDbArc::desc(), AcDbPolyline::desc(), AcDbText::desc(), AcDbAttribute::desc(),
          AcDbAttributeDefinition::desc(), AcDbDictionary::desc(), AcDbProxyEntity::desc()}) {
        (void)cls;
    }
}

bool older_than_2007(const Tags& tags) {
    for (size_t i = 0; i + 1 < tags.size(); ++i) {
        if (tags[i].code == 9 && tags[i].value == "$ACADVER") return tags[i + 1].value < "AC1021";
        if (tags[i].code == 0 && tags[i].value == "ENDSEC" && tags[i + 1].code != 9) break;
    }
    return true;
}

}  // namespace

Acad::ErrorStatus read_database(AcDbDatabase* db, std::string_view text,
                                std::vector<host_test::ReadRepair>& repairs) {
    repairs.clear();
    register_host_classes();
    Tags tags;
    Acad::ErrorStatus es = parse_tags(text, tags);
    if (es != Acad::eOk) return es;
    if (tags.empty()) return Acad::eDwgNeedsRecovery;
    if (older_than_2007(tags)) {
        for (Tag& tag : tags) {
            if (value_type(tag.code) == ValueType::Text) tag.value = latin1_to_utf8(tag.value);
        }
    }
    es = Reader(db, std::move(tags), repairs).read();
    if (es != Acad::eOk) repairs.clear();
    return es;
}

}  // namespace korv_host::dxf
