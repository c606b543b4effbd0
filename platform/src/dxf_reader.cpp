#include "dxf_reader.h"

#include <dbdict.h>
#include <dbents.h>
#include <dbpl.h>
#include <dbproxy.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <unordered_set>

#include "dxf_filer.h"
#include "host_state.h"
#include "host_work.h"
#include "side_data.h"
#include "text.h"

namespace korv_host::dxf {
namespace {

// A record's type as the host names it, a C string: blanks a writer left after the name
// (a carriage return among them) and anything from a NUL on are no part of it
// ("SEQEND  " ends a sequence as "SEQEND" does, and is saved as "SEQEND").
std::string_view record_type(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.remove_suffix(1);
    return value;
}

// Types name classes in any case ("ATTRIB" and "Attrib" are the same record).
bool is_type(std::string_view type, std::string_view name) {
    return type.size() == name.size() &&
           std::equal(type.begin(), type.end(), name.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

// A stretch of the file from a "0 TYPE" tag up to the next one (first in a file that does
// not start with one: the tags before it). The file is read once, checked, into entries;
// the tags of an entry are read again from the file's bytes where they are needed, so that
// no tag outlives the object it belongs to.
struct Entry {
    size_t offset = 0;      // of its first tag's group code in the text
    std::string_view type;  // the value of its first tag
    uint64_t handle = 0;    // its own (5 or 105); 0: none
    uint32_t line = 0;      // of its first tag's group code
    uint32_t index = 0;     // of its first tag among the file's tags
    int16_t first_code = 0;
    int16_t second_code = -1;   // the group code of its second tag; -1: it has one
    bool bad_handle = false;    // its own handle is no handle
    bool handle_sought = true;  // no handle and no extended data met yet
};

// One object of the file: its entry (`head`, the entry-th) and, up to `end`, the entries
// folded into it (the vertices of a polyline).
struct Record {
    const Entry* head = nullptr;
    uint32_t entry = 0;  // a file has fewer entries than that (index_file)
    uint32_t end = 0;
    std::string_view type() const { return head->type; }
    uint64_t handle() const { return head->handle; }
};

using Records = LargeVector<Record>;

struct Block {
    Record begin;
    Records entities;
};

struct ClassInfo {
    std::wstring class_name;
    std::wstring app_name;
};

// The block record entities are appended to, kept open while the entities that follow
// have the same owner, and closed when they do not or the scope is left.
class OpenOwner {
public:
    OpenOwner() = default;
    OpenOwner(const OpenOwner&) = delete;
    OpenOwner& operator=(const OpenOwner&) = delete;
    ~OpenOwner() { close(); }
    Acad::ErrorStatus open(AcDbObjectId id) {
        if (mRecord != nullptr && id == mId) return Acad::eOk;
        close();
        Acad::ErrorStatus es = acdbOpenObject(mRecord, id, AcDb::kForWrite);
        if (es != Acad::eOk) {
            mRecord = nullptr;
            return es;
        }
        mId = id;
        return Acad::eOk;
    }
    AcDbBlockTableRecord* operator->() const { return mRecord; }

private:
    void close() {
        if (mRecord != nullptr) mRecord->close();
        mRecord = nullptr;
    }
    AcDbObjectId mId;
    AcDbBlockTableRecord* mRecord = nullptr;
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
    Reader(AcDbDatabase* db, std::string_view text, std::vector<host_test::ReadRepair>& repairs,
           const LetGo& let_go)
        : mDb(db), mImpl(db->impl()), mText(text), mRepairs(repairs), mLetGo(let_go) {}
    Acad::ErrorStatus read();

private:
    // ----- the file's tags -----
    Acad::ErrorStatus index_file();
    void add_to_index(const Tag& tag, size_t index, size_t offset, size_t& count);
    void settle_index();
    std::string_view as_read(int code, std::string_view value);
    template <class Visit>
    void each_tag(size_t first, size_t end, Visit visit);
    void load(size_t first, size_t end, Tags& tags);
    size_t first_index(const Record& record) const { return mEntries[record.entry].index; }
    size_t own_count(const Record& record) const { return count(record.entry); }
    // The tags of the entry-th entry.
    size_t count(size_t entry) const {
        return (entry + 1 < mEntries.size() ? mEntries[entry + 1].index : mTagCount) -
               mEntries[entry].index;
    }
    const Records& attributes(const Record& record) const;
    void passing(const Record& record);

    // ----- structure -----
    Acad::ErrorStatus split_sections();
    size_t header_end(size_t begin, std::vector<size_t>& strays) const;
    size_t section_end(size_t begin) const;
    Acad::ErrorStatus split_records(size_t begin, size_t end, Records& records);
    Acad::ErrorStatus read_header(size_t begin, size_t end);
    Acad::ErrorStatus read_classes(const Records& records);
    Acad::ErrorStatus read_tables(const Records& records);
    Acad::ErrorStatus read_blocks(const Records& records);
    void fold_followers(Records& records);
    Acad::ErrorStatus collect_handles();
    const Tag* header_value(const char* name) const;
    const Tag* find(const Tags& tags, size_t count, int code) const;
    const Tag* find(const Record& record, int code);
    std::wstring text(const Record& record, int code);
    std::wstring block_name(const Record& begin);
    void note(const Tag& tag, size_t index, uint64_t handle, std::string what);

    // ----- objects -----
    uint64_t handle_for(const Record& record) {
        return record.handle() ? record.handle() : fresh();
    }
    // The next handle no record has; 0 once the handle space is used up.
    uint64_t fresh() { return mFresh == 0 ? 0 : mFresh++; }
    template <class Make>
    Acad::ErrorStatus with_handle(uint64_t handle, Make make);
    Acad::ErrorStatus make_tables();
    Acad::ErrorStatus make_layers();
    Acad::ErrorStatus make_block_records();
    Acad::ErrorStatus apply_block_begin(AcDbObjectId record_id, const Record& begin);
    AcDbObjectId ensure_block(const std::wstring& name);
    Acad::ErrorStatus make_entity(const Record& record, AcDbObjectId owner_id, OpenOwner& owner);
    AcDbObjectId space(bool paper);
    Acad::ErrorStatus make_entities();
    Acad::ErrorStatus make_objects();
    void find_regenerated();
    AcRxClass* class_for(std::string_view type);
    const ClassInfo* declared_class(std::string_view type) const;
    AcDbObjectId owner_in_entities(const Record& record);
    AcDbObjectId owner_block(const Record& record);
    Acad::ErrorStatus fill(AcDbObjectId id, const Record& record);
    Acad::ErrorStatus read_side_data(AcDbObject* object, const Record& record);
    void hoist_common_groups(const Record& record, uint64_t handle);
    bool resolve(uint64_t handle, AcDbObjectId& id) const;

    AcDbDatabase* mDb;
    DatabaseImpl& mImpl;
    std::string_view mText;
    std::vector<host_test::ReadRepair>& mRepairs;
    const LetGo& mLetGo;
    size_t mKeptFrom = 0;  // where the text the current pass may come back to begins
    ReadContext mContext;
    LargeVector<Entry> mEntries;
    std::vector<size_t> mUnsettledTypes;
    std::vector<std::pair<size_t, std::string_view>> mUnsettledHandles;
    std::map<size_t, Records> mAttributes;  // by their insert's entry
    size_t mTagCount = 0;
    bool mLatin1 = true;                 // text of a release before 2007: Latin-1, with \U+ escapes
    std::deque<std::string> mConverted;  // such text as UTF-8, where it differs
    Tags mScratch;                       // the tags of the entry looked into last
    Tags mFillTags;                      // the tags of the object being filled
    Tags mObjectLevel, mCommon;          // hoist_common_groups' own
    Tags mHeaderTags;
    std::map<std::string_view, std::pair<size_t, size_t>> mHeader;  // $NAME -> value tags
    std::map<std::wstring, ClassInfo> mClasses;                     // by upper-case DXF name
    std::map<std::string_view, AcRxClass*> mClassByType;
    std::map<std::string_view, std::pair<Record, Records>> mTables;
    std::vector<Block> mBlocks;
    Records mEntities;
    Records mObjects;                    // the OBJECTS section
    Records mPassedOver;                 // kept as handles only (end markers, other sections)
    LargeVector<uint64_t> mFileHandles;  // sorted
    std::unordered_set<uint64_t> mRegenerated;  // the layout and group trees the host rebuilds
    LargeVector<std::pair<AcDbObjectId, const Record*>> mToFill;
    std::map<std::wstring, AcDbObjectId> mBlockIds;  // by upper-case name
    AcDbObjectId mModelSpace, mPaperSpace;
    uint64_t mFresh = 1;
    bool mSawEof = false;
};

// ----- the file's tags ---------------------------------------------------------------------

constexpr size_t kMostLines = std::numeric_limits<uint32_t>::max();

// Reads the whole file once, checking every tag, into entries. Text of a release before
// 2007 is Latin-1; the release is known from the header's $ACADVER, read before the first
// section end that no header variable follows.
Acad::ErrorStatus Reader::index_file() {
    mEntries.reserve(mText.size() / 128 + 16);
    TagScanner scanner(mText);
    Tag tag, previous;
    bool release_known = false;
    size_t entry_count = 0;  // tags of the last entry so far
    Acad::ErrorStatus es = Acad::eOk;
    for (; (es = scanner.next_checked(tag)) == Acad::eOk; ++mTagCount) {
        if (!release_known && mTagCount > 0) {
            if (previous.code == 9 && previous.value == "$ACADVER") {
                mLatin1 = tag.value < "AC1021";
                release_known = true;
            } else if (previous.code == 0 && previous.value == "ENDSEC" && tag.code != 9) {
                release_known = true;
            }
        }
        // Lines, tags and entries are counted in 32 bits (four billion lines: 8 GB of text).
        if (tag.line >= kMostLines) return Acad::eOutOfMemory;
        add_to_index(tag, mTagCount, scanner.tag_offset(), entry_count);
        previous = tag;
    }
    if (es != Acad::eEndOfFile) return es;
    if (mTagCount == 0) return Acad::eDwgNeedsRecovery;
    settle_index();
    if (mLetGo) mLetGo(0, mText.size());  // the next passes start from the top
    return Acad::eOk;
}

// Text that reads the same whether the file is of a release before 2007 or not is settled
// at once; the rest when the release is known (settle_index).
void Reader::add_to_index(const Tag& tag, size_t index, size_t offset, size_t& count) {
    if (tag.code == 0 || mEntries.empty()) {
        Entry entry;
        entry.offset = offset;
        entry.line = static_cast<uint32_t>(tag.line);
        entry.index = static_cast<uint32_t>(index);
        entry.type = record_type(tag.value);
        entry.first_code = static_cast<int16_t>(tag.code);
        if (latin1_changes(tag.value)) mUnsettledTypes.push_back(mEntries.size());
        mEntries.push_back(entry);
        count = 0;
    }
    Entry& entry = mEntries.back();
    if (count == 1) entry.second_code = static_cast<int16_t>(tag.code);
    if (count > 0 && entry.handle_sought) {
        if (tag.code == 5 || tag.code == 105) {
            if (latin1_changes(tag.value)) {
                mUnsettledHandles.push_back({mEntries.size() - 1, tag.value});
            } else {
                entry.bad_handle = !parse_handle(tag.value, entry.handle);
            }
        }
        entry.handle_sought = tag.code != 5 && tag.code != 105 && tag.code != 1001;
    }
    ++count;
}

// Types and handles as the rest of the reader sees them: text of older files as UTF-8.
void Reader::settle_index() {
    for (size_t entry : mUnsettledTypes) mEntries[entry].type = as_read(0, mEntries[entry].type);
    for (const auto& [entry, text] : mUnsettledHandles) {
        mEntries[entry].bad_handle = !parse_handle(as_read(5, text), mEntries[entry].handle);
    }
}

std::string_view Reader::as_read(int code, std::string_view value) {
    if (!mLatin1 || value_type(code) != ValueType::Text || !latin1_changes(value)) return value;
    return mConverted.emplace_back(latin1_to_utf8(value));
}

// A pass over the objects in file order lets the text behind it go, a few pages at a time,
// so that the file and the objects made from it are not both held whole. A pass that
// starts again from the top keeps what it reads anew.
void Reader::passing(const Record& record) {
    constexpr size_t kStep = size_t{1} << 20;
    const size_t offset = record.head->offset;
    if (offset < mKeptFrom) {
        mKeptFrom = offset;
    } else if (offset - mKeptFrom >= kStep && mLetGo) {
        mLetGo(mKeptFrom, offset);
        mKeptFrom = offset;
    }
}

// Hands visit the tags of entries [first, end) in order, read from the text, with their
// index among them, until it answers false.
template <class Visit>
void Reader::each_tag(size_t first, size_t end, Visit visit) {
    if (first >= end) return;
    const size_t count =
        (end < mEntries.size() ? mEntries[end].index : mTagCount) - mEntries[first].index;
    TagScanner scanner(mText, mEntries[first].offset, mEntries[first].line);
    Tag tag;
    for (size_t i = 0; i < count && scanner.next(tag); ++i) {
        tag.value = as_read(tag.code, tag.value);
        if (!visit(tag, i)) return;
    }
}

// Appends the tags of entries [first, end) to tags.
void Reader::load(size_t first, size_t end, Tags& tags) {
    each_tag(first, end, [&](const Tag& tag, size_t) {
        tags.push_back(tag);
        return true;
    });
}

// ----- structure ---------------------------------------------------------------------------

// An insert's attributes, made its own.
const Records& Reader::attributes(const Record& record) const {
    static const Records none;
    auto found = mAttributes.find(record.entry);
    return found != mAttributes.end() ? found->second : none;
}

const Tag* Reader::find(const Tags& tags, size_t count, int code) const {
    for (size_t i = 1; i < count; ++i) {
        if (tags[i].code == 1001) break;
        if (tags[i].code == code) return &tags[i];
    }
    return nullptr;
}

// The first tag of the record's own with the code, before its extended data; valid until
// the next look into an entry.
const Tag* Reader::find(const Record& record, int code) {
    mScratch.clear();
    load(record.entry, record.entry + 1, mScratch);
    return find(mScratch, mScratch.size(), code);
}

std::wstring Reader::text(const Record& record, int code) {
    const Tag* tag = find(record, code);
    return tag ? widen(tag->value) : std::wstring();
}

// A block's name; files of release 12 name the two spaces' blocks $MODEL_SPACE and
// $PAPER_SPACE.
std::wstring Reader::block_name(const Record& begin) {
    const std::wstring name = text(begin, 2);
    if (upper_case(name) == L"$MODEL_SPACE") return ACDB_MODEL_SPACE;
    if (upper_case(name) == L"$PAPER_SPACE") return ACDB_PAPER_SPACE;
    return name;
}

void Reader::note(const Tag& tag, size_t index, uint64_t handle, std::string what) {
    if (!mContext.noted.insert(index).second) return;
    mRepairs.push_back({std::move(what), tag.line, handle, tag.code});
}

// The records of entries [begin, end).
Acad::ErrorStatus Reader::split_records(size_t begin, size_t end, Records& records) {
    records.reserve(records.size() + (end - begin));
    for (size_t i = begin; i < end; ++i) {
        const Entry& entry = mEntries[i];
        if (entry.first_code != 0 || entry.bad_handle) return Acad::eBadDxfSequence;
        records.push_back({&entry, static_cast<uint32_t>(i), static_cast<uint32_t>(i + 1)});
    }
    return Acad::eOk;
}

// A "0 ENDSEC" inside the header that header variables (group 9) follow is a stray one and
// is read past, noted as a repair. Some writers leave such files, and other readers refuse
// them; reading on is safe because group 9 belongs to the header alone, so what follows can
// be nothing but more header variables, and the header holds no drawing content. The real
// end of the header is the first ENDSEC that no variable follows.
size_t Reader::header_end(size_t begin, std::vector<size_t>& strays) const {
    for (size_t end = begin; end < mEntries.size(); ++end) {
        const Entry& entry = mEntries[end];
        if (entry.type != "ENDSEC") return end;  // SECTION, EOF: never closed
        if (count(end) > 1 && entry.second_code == 9) {
            strays.push_back(end);
            continue;
        }
        return end;
    }
    return mEntries.size();
}

// The section end of a section other than the header; past the entries when the section was
// never closed.
size_t Reader::section_end(size_t begin) const {
    for (size_t end = begin; end < mEntries.size(); ++end) {
        const std::string_view type = mEntries[end].type;
        if (type == "ENDSEC") return end;
        if (type == "SECTION" || type == "EOF") return mEntries.size();
    }
    return mEntries.size();
}

Acad::ErrorStatus Reader::split_sections() {
    size_t i = 0;
    while (i < mEntries.size()) {
        const Entry& start = mEntries[i];
        const size_t start_count = count(i);
        const bool last_tag = i + 1 == mEntries.size() && start_count == 1;
        if (start.first_code == 0 && start.type == "EOF") {
            mSawEof = true;
            return last_tag ? Acad::eOk : Acad::eBadDxfSequence;
        }
        if (start.first_code != 0 || start.type != "SECTION" || start_count < 2 ||
            start.second_code != 2) {
            return last_tag ? Acad::eDwgNeedsRecovery : Acad::eBadDxfSequence;
        }
        mScratch.clear();
        load(i, i + 1, mScratch);
        const std::string_view name = mScratch[1].value;
        const bool header = name == "HEADER";
        std::vector<size_t> strays;
        const size_t end = header ? header_end(i + 1, strays) : section_end(i + 1);
        if (end >= mEntries.size() || mEntries[end].type != "ENDSEC") {
            return Acad::eDwgNeedsRecovery;
        }
        for (size_t stray : strays) {
            const Entry& entry = mEntries[stray];
            note({0, entry.type, entry.line}, entry.index, 0,
                 "section end inside the header read past");
        }
        Records records;
        Acad::ErrorStatus es = Acad::eOk;
        if (header) {
            es = read_header(i, end);
        } else if (name == "CLASSES" || name == "TABLES" || name == "BLOCKS" ||
                   name == "ENTITIES" || name == "OBJECTS") {
            // The section's records start right after its name.
            es = start_count > 2 ? Acad::eBadDxfSequence : split_records(i + 1, end, records);
        } else {
            // THUMBNAILIMAGE, ACDSDATA ...: not kept, skipped whole (a thumbnail has no
            // records at all); the handles of the records they have are the file's.
            es = split_records(i + 1, end, mPassedOver);
        }
        if (es != Acad::eOk) return es;
        if (name == "CLASSES") es = read_classes(records);
        if (name == "TABLES") es = read_tables(records);
        if (name == "BLOCKS") es = read_blocks(records);
        if (name == "ENTITIES") {
            fold_followers(records);
            if (mEntities.empty()) {
                mEntities = std::move(records);
            } else {
                std::move(records.begin(), records.end(), std::back_inserter(mEntities));
            }
        }
        if (name == "OBJECTS") {
            std::move(records.begin(), records.end(), std::back_inserter(mObjects));
        }
        if (es != Acad::eOk) return es;
        // What follows the section end must be the next section or the end of the file.
        const size_t closing = count(end);
        if (closing > 1) {
            const bool last = end + 1 == mEntries.size() && closing == 2;
            return last ? Acad::eDwgNeedsRecovery : Acad::eBadDxfSequence;
        }
        i = end + 1;
    }
    return Acad::eDwgNeedsRecovery;  // no EOF: the file was cut off
}

// The header's variables: entries [begin, end) are the header's section and the stray
// section ends within it.
Acad::ErrorStatus Reader::read_header(size_t begin, size_t end) {
    const size_t first = mHeaderTags.size() + 2;  // past "0 SECTION", "2 HEADER"
    load(begin, end, mHeaderTags);
    const size_t last = mHeaderTags.size();
    for (size_t i = first; i < last;) {
        if (mHeaderTags[i].code == 0) {  // a stray section end (header_end)
            ++i;
            continue;
        }
        if (mHeaderTags[i].code != 9) return Acad::eBadDxfSequence;
        size_t next = i + 1;
        while (next < last && mHeaderTags[next].code != 9 && mHeaderTags[next].code != 0) ++next;
        mHeader[mHeaderTags[i].value] = {i + 1, next};
        i = next;
    }
    const Tag* version = header_value("$ACADVER");
    // Release 13 (AC1012) brought subclass markers; files without a version are read the
    // same way, markers being optional rather than absent.
    mContext.markers_optional = (version ? version->value : std::string_view()) < "AC1012";
    return Acad::eOk;
}

const Tag* Reader::header_value(const char* name) const {
    auto found = mHeader.find(name);
    if (found == mHeader.end() || found->second.first >= found->second.second) return nullptr;
    return &mHeaderTags[found->second.first];
}

Acad::ErrorStatus Reader::read_classes(const Records& records) {
    for (const Record& record : records) {
        if (record.type() != "CLASS") return Acad::eBadDxfSequence;
        const std::wstring dxf = upper_case(text(record, 1));
        if (dxf.empty()) return Acad::eBadDxfSequence;
        mClasses[dxf] = {text(record, 2), text(record, 3)};
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read_tables(const Records& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].type() != "TABLE") return Acad::eBadDxfSequence;
        const Tag* name = find(records[i], 2);
        if (name == nullptr) return Acad::eBadDxfSequence;
        auto& table = mTables[name->value];
        table.first = records[i];
        for (++i; i < records.size() && records[i].type() != "ENDTAB"; ++i) {
            table.second.push_back(records[i]);
        }
        if (i >= records.size()) return Acad::eDwgNeedsRecovery;  // no ENDTAB
        mPassedOver.push_back(records[i]);  // its handle, if any, is the file's
    }
    return Acad::eOk;
}

Acad::ErrorStatus Reader::read_blocks(const Records& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].type() != "BLOCK") return Acad::eBadDxfSequence;
        Block block;
        block.begin = records[i];
        for (++i; i < records.size() && records[i].type() != "ENDBLK"; ++i) {
            if (records[i].type() == "BLOCK") return Acad::eDwgNeedsRecovery;
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
void Reader::fold_followers(Records& records) {
    size_t kept = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        Record& record = records[i];
        const bool follower = is_type(record.type(), "VERTEX") ||
                              is_type(record.type(), "SEQEND") || is_type(record.type(), "ATTRIB");
        if (follower && kept > 0) {
            Record& owner = records[kept - 1];
            if (is_type(record.type(), "ATTRIB") && is_type(owner.type(), "INSERT")) {
                mAttributes[owner.entry].push_back(record);
                continue;
            }
            owner.end = record.end;
            mPassedOver.push_back(std::move(record));  // known handle, no object of its own
        } else {
            if (kept != i) records[kept] = std::move(record);
            ++kept;
        }
    }
    records.resize(kept);
}

Acad::ErrorStatus Reader::collect_handles() {
    uint64_t highest = 0;
    mFileHandles.reserve(mEntries.size());
    auto note = [&](const Record& record) {
        if (record.handle() == 0) return;
        highest = std::max(highest, record.handle());
        mFileHandles.push_back(record.handle());
    };
    for (auto& [name, table] : mTables) {
        note(table.first);
        for (const Record& record : table.second) note(record);
    }
    for (const Block& block : mBlocks) {
        note(block.begin);
        for (const Record& record : block.entities) {
            note(record);
            for (const Record& attribute : attributes(record)) note(attribute);
        }
    }
    for (const Record& record : mEntities) {
        note(record);
        for (const Record& attribute : attributes(record)) note(attribute);
    }
    for (const Record& record : mObjects) note(record);
    for (const Record& record : mPassedOver) note(record);
    std::sort(mFileHandles.begin(), mFileHandles.end());
    if (std::adjacent_find(mFileHandles.begin(), mFileHandles.end()) != mFileHandles.end()) {
        return Acad::eDwgNeedsRecovery;
    }
    uint64_t seed = 0;
    if (const Tag* value = header_value("$HANDSEED")) parse_handle(value->value, seed);
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
        return found != mTables.end() && found->second.first.handle() ? found->second.first.handle()
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
        if (record.type() != "LAYER") return Acad::eBadDxfSequence;
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
        mToFill.push_back({id, &record});
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
            if (record.type() != "BLOCK_RECORD") return Acad::eBadDxfSequence;
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
    mScratch.clear();
    load(begin.entry, begin.entry + 1, mScratch);
    const Tag* tag = nullptr;
    if ((tag = find(mScratch, mScratch.size(), 10))) parse_real(tag->value, origin.x);
    if ((tag = find(mScratch, mScratch.size(), 20))) parse_real(tag->value, origin.y);
    if ((tag = find(mScratch, mScratch.size(), 30))) parse_real(tag->value, origin.z);
    if ((tag = find(mScratch, mScratch.size(), 70))) parse_integer(tag->value, flags);
    record->setOrigin(origin);
    if ((flags & (4 | 8)) != 0) {
        std::wstring path = text(begin, 1);
        record->setPathName(path.empty() ? record->nameText().c_str() : path.c_str());
        record->setOverlaid((flags & 8) != 0);
    }
    return Acad::eOk;
}

// The class a type of the file names, looked up once per type.
AcRxClass* Reader::class_for(std::string_view type) {
    auto known = mClassByType.find(type);
    if (known != mClassByType.end()) return known->second;
    AcRxClass* cls = nullptr;
    const std::wstring dxf = upper_case(widen(type));
    auto declared = mClasses.find(dxf);
    if (declared != mClasses.end()) {
        cls = acrxFindAcRxClass(declared->second.class_name.c_str());
    } else {
        cls = acrxFindAcRxClassByDxfName(dxf.c_str());
    }
    mClassByType.emplace(type, cls);
    return cls;
}

const ClassInfo* Reader::declared_class(std::string_view type) const {
    auto declared = mClasses.find(upper_case(widen(type)));
    return declared != mClasses.end() ? &declared->second : nullptr;
}

Acad::ErrorStatus Reader::make_entity(const Record& record, AcDbObjectId owner_id,
                                      OpenOwner& owner) {
    passing(record);
    AcRxClass* cls = class_for(record.type());
    AcDbEntity* entity = nullptr;
    if (cls != nullptr && cls->isDerivedFrom(AcDbEntity::desc()) &&
        cls != AcDbProxyEntity::desc()) {
        entity = AcDbEntity::cast(cls->create());
    }
    if (entity == nullptr) {
        auto* proxy = new AcDbProxyEntity();
        const ClassInfo* declared = declared_class(record.type());
        proxy->setOriginal(declared ? declared->class_name : L"", widen(record.type()),
                           declared ? declared->app_name : L"");
        entity = proxy;
    }
    Acad::ErrorStatus es = owner.open(owner_id);
    if (es != Acad::eOk) {
        delete entity;
        return es;
    }
    AcDbObjectId id;
    es = with_handle(handle_for(record), [&] { return owner->appendAcDbEntity(id, entity); });
    if (es != Acad::eOk) {
        delete entity;
        return es;
    }
    Opened entity_guard{entity};
    mToFill.push_back({id, &record});
    auto* reference = AcDbBlockReference::cast(entity);
    for (const Record& attribute : attributes(record)) {
        if (reference == nullptr) break;
        auto* made = AcDbAttribute::cast(
            class_for(attribute.type()) ? class_for(attribute.type())->create() : nullptr);
        if (made == nullptr) return Acad::eDwgNeedsRecovery;
        AcDbObjectId attribute_id;
        es = with_handle(handle_for(attribute),
                         [&] { return reference->appendAttribute(attribute_id, made); });
        if (es != Acad::eOk) {
            delete made;
            return es;
        }
        made->close();
        mToFill.push_back({attribute_id, &attribute});
    }
    return Acad::eOk;
}

// Where an entity of the ENTITIES section lives: the block record its owner handle names,
// else model or paper space by its paper-space flag. An owner that is no block of the file
// is a repair: the entity goes where its flag says.
AcDbObjectId Reader::owner_in_entities(const Record& record) {
    const AcDbObjectId owner = owner_block(record);
    if (!owner.isNull()) return owner;
    mScratch.clear();
    load(record.entry, record.entry + 1, mScratch);
    const Tag* paper = find(mScratch, mScratch.size(), 67);
    int64_t flag = 0;
    if (paper) parse_integer(paper->value, flag);
    return space(flag == 1);
}

// The block record named by the owner handle among the entity's object groups (before its
// first subclass marker), read straight from the text: most entities have one, and their
// tags need not be gathered for it. Null when there is none, or when it names no block (a
// repair, noted).
AcDbObjectId Reader::owner_block(const Record& record) {
    AcDbObjectId owner;
    bool in_group = false;
    each_tag(record.entry, record.entry + 1, [&](const Tag& tag, size_t i) {
        if (i == 0) return true;  // the entity's type
        if (tag.code == 100) return false;
        if (tag.code == 102) in_group = !tag.value.empty() && tag.value[0] == '{';
        if (tag.code != 330 || in_group) return true;
        uint64_t handle = 0;
        parse_handle(tag.value, handle);
        AcDbStub* found = mImpl.by_handle.find(handle);
        if (found != nullptr && found->object != nullptr &&
            found->object->isKindOf(AcDbBlockTableRecord::desc())) {
            owner = AcDbObjectId(found);
        } else {
            note(tag, first_index(record) + i, record.handle(),
                 "owner that is no block of the file replaced by its space");
        }
        return false;
    });
    return owner;
}

// The model or paper space's block, looked up (or made) once.
AcDbObjectId Reader::space(bool paper) {
    AcDbObjectId& id = paper ? mPaperSpace : mModelSpace;
    if (id.isNull()) id = ensure_block(paper ? ACDB_PAPER_SPACE : ACDB_MODEL_SPACE);
    return id;
}

Acad::ErrorStatus Reader::make_entities() {
    OpenOwner owner;
    for (const Block& block : mBlocks) {
        const AcDbObjectId owner_id = ensure_block(block_name(block.begin));
        for (const Record& record : block.entities) {
            Acad::ErrorStatus es = make_entity(record, owner_id, owner);
            if (es != Acad::eOk) return es;
        }
    }
    for (const Record& record : mEntities) {
        const AcDbObjectId owner_id = owner_in_entities(record);
        if (owner_id.isNull()) return Acad::eDwgNeedsRecovery;
        Acad::ErrorStatus es = make_entity(record, owner_id, owner);
        if (es != Acad::eOk) return es;
    }
    return Acad::eOk;
}

// The root dictionary's layout and group entries, and what those dictionaries hold, are
// rebuilt by the host at each save: they are not read back as objects.
void Reader::find_regenerated() {
    if (mObjects.empty() || mObjects.front().type() != "DICTIONARY") return;
    auto entries_of = [this](const Record& record) {
        std::vector<std::pair<std::wstring, uint64_t>> entries;
        std::wstring key;
        mScratch.clear();
        load(record.entry, record.entry + 1, mScratch);
        for (size_t i = 1; i < mScratch.size(); ++i) {
            uint64_t handle = 0;
            if (mScratch[i].code == 3) key = upper_case(widen(mScratch[i].value));
            if ((mScratch[i].code == 350 || mScratch[i].code == 360) &&
                parse_handle(mScratch[i].value, handle)) {
                entries.push_back({key, handle});
            }
        }
        return entries;
    };
    for (const auto& [key, handle] : entries_of(mObjects.front())) {
        if (key != L"ACAD_LAYOUT" && key != L"ACAD_GROUP") continue;
        mRegenerated.insert(handle);
        for (const Record& record : mObjects) {
            if (record.handle() != handle) continue;
            for (const auto& entry : entries_of(record)) mRegenerated.insert(entry.second);
        }
    }
}

Acad::ErrorStatus Reader::make_objects() {
    find_regenerated();
    for (const Record& record : mObjects) {
        if (mRegenerated.count(record.handle()) != 0) continue;
        AcRxClass* cls = class_for(record.type());
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
        mToFill.push_back({id, &record});
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
    AcDbStub* found = mImpl.by_handle.find(handle);
    if (found != nullptr && found->object != nullptr && mRegenerated.count(handle) == 0) {
        id = AcDbObjectId(found);
        return true;
    }
    return std::binary_search(mFileHandles.begin(), mFileHandles.end(), handle);
}

// Some writers put an entity's common groups (layer, color, line weight ...) before its
// "100 AcDbEntity" marker: they are moved behind it, where the entity reads them. The
// object's own groups (handle, reactors, owner) stay in front.
void Reader::hoist_common_groups(const Record& record, uint64_t handle) {
    Tags& tags = mFillTags;
    const size_t own_end = own_count(record);
    size_t marker = 1;
    while (marker < own_end && tags[marker].code != 100) ++marker;
    if (marker == own_end || tags[marker].value != "AcDbEntity") return;
    static const int kCommon[] = {6, 8, 48, 60, 62, 67, 284, 347, 370, 380, 390, 420, 430, 440};
    Tags& object_level = mObjectLevel;
    Tags& common = mCommon;
    object_level.clear();
    common.clear();
    bool in_group = false;
    for (size_t i = 1; i < marker; ++i) {
        const Tag& tag = tags[i];
        if (tag.code == 102) in_group = !tag.value.empty() && tag.value[0] == '{';
        if (in_group || tag.code == 5 || tag.code == 102 || tag.code == 330 || tag.code == 360) {
            object_level.push_back(tag);
        } else if (std::find(std::begin(kCommon), std::end(kCommon), tag.code) !=
                   std::end(kCommon)) {
            note(tag, first_index(record) + i, handle,
                 "common group before the entity's marker moved behind it");
            common.push_back(tag);
        } else {
            return;  // neither the object's nor the entity's: left for the entity to refuse
        }
    }
    if (common.empty()) return;
    object_level.push_back(tags[marker]);
    object_level.insert(object_level.end(), common.begin(), common.end());
    std::copy(object_level.begin(), object_level.end(), tags.begin() + 1);
}

// The object reads its tags: its own, and for a proxy those folded into it as well.
Acad::ErrorStatus Reader::fill(AcDbObjectId id, const Record& record) {
    AcDbObject* object = nullptr;
    passing(record);
    Acad::ErrorStatus es = acdbOpenObject(object, id, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Opened guard{object, true};
    const bool proxy = object->isKindOf(AcDbProxyEntity::desc());
    const auto handle = static_cast<uint64_t>(object->objectId().handle());
    mFillTags.clear();
    load(record.entry, proxy ? record.end : record.entry + 1, mFillTags);
    if (object->isKindOf(AcDbEntity::desc())) hoist_common_groups(record, handle);
    InFiler filer(mDb, mFillTags, first_index(record), 1,
                  proxy ? mFillTags.size() : own_count(record), handle, mContext);
    es = object->dxfInFields(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es == Acad::eOk && !proxy) es = read_side_data(object, record);
    return es;
}

Acad::ErrorStatus Reader::read_side_data(AcDbObject* object, const Record& record) {
    const Tags& tags = mFillTags;
    const size_t own_end = own_count(record);
    size_t i = 1;
    while (i < own_end && tags[i].code != 1001) ++i;
    while (i < own_end) {
        size_t next = i + 1;
        while (next < own_end && tags[next].code != 1001) ++next;
        const host_test::SideDataFiler* side = side_data_filer(widen(tags[i].value));
        if (side != nullptr && side->read) {
            InFiler filer(mDb, tags, first_index(record), i + 1, next,
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
    Acad::ErrorStatus es = index_file();
    if (es == Acad::eOk) es = split_sections();
    if (es == Acad::eOk) es = collect_handles();
    if (es == Acad::eOk) {
        // Room for what the file holds, made once rather than grown object by object.
        mToFill.reserve(mFileHandles.size() + 16);
        mImpl.stubs.reserve(mImpl.stubs.size() + mFileHandles.size() + 16);
        mImpl.by_handle.reserve(mImpl.by_handle.size() + mFileHandles.size() + 16);
    }
    if (es == Acad::eOk) es = make_tables();
    if (es == Acad::eOk) es = make_layers();
    if (es == Acad::eOk) es = make_block_records();
    if (es == Acad::eOk) es = make_entities();
    if (es == Acad::eOk) es = make_objects();
    for (size_t i = 0; es == Acad::eOk && i < mToFill.size(); ++i) {
        es = fill(mToFill[i].first, *mToFill[i].second);
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

}  // namespace

Acad::ErrorStatus read_database(AcDbDatabase* db, std::string_view text,
                                std::vector<host_test::ReadRepair>& repairs, const LetGo& let_go) {
    repairs.clear();
    register_host_classes();
    Acad::ErrorStatus es = Reader(db, text, repairs, let_go).read();
    if (es != Acad::eOk) repairs.clear();
    return es;
}

}  // namespace korv_host::dxf
