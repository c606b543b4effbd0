#include "StdAfx.h"

#include "korv_level.h"
#include "library_call.h"

namespace {

// The named objects dictionary's entry that holds a drawing's levels.
const ACHAR* const kLevelDictionaryKey = L"KORV_LEVELS";

}  // namespace

KORVLevel::KORVLevel() = default;
KORVLevel::KORVLevel(const std::wstring& name, double elevation)
    : mName(name), mElevation(elevation) {}

bool KORVLevel::find_levels_in_dictionary(AcDbDatabase* database, std::list<KORVLevel>& levels) {
    if (database == nullptr) return false;
    host_test::library_call_point("find_levels_in_dictionary",
                                  database->namedObjectsDictionaryId());
    AcDbObjectId dictionary_id;
    {
        AcDbDictionary* root = nullptr;
        if (database->getNamedObjectsDictionary(root, AcDb::kForRead) != Acad::eOk) return false;
        AcDbObjectPointer<AcDbDictionary> named_objects;
        named_objects.acquire(root);
        if (named_objects->getAt(kLevelDictionaryKey, dictionary_id) != Acad::eOk) return false;
    }
    AcDbObjectPointer<KORVLevel_dictionary> dictionary(dictionary_id, AcDb::kForRead);
    if (dictionary.openStatus() != Acad::eOk) return false;
    levels.insert(levels.end(), dictionary->levels().begin(), dictionary->levels().end());
    return !dictionary->levels().empty();
}

Acad::ErrorStatus KORVLevel::add_level_to_dictionary(AcDbDatabase* database,
                                                     const KORVLevel& level) {
    if (database == nullptr) return Acad::eNoDatabase;
    AcDbObjectId dictionary_id;
    {
        AcDbDictionary* root = nullptr;
        Acad::ErrorStatus es = database->getNamedObjectsDictionary(root, AcDb::kForWrite);
        if (es != Acad::eOk) return es;
        AcDbObjectPointer<AcDbDictionary> named_objects;
        named_objects.acquire(root);
        if (named_objects->getAt(kLevelDictionaryKey, dictionary_id) != Acad::eOk) {
            auto* created = new KORVLevel_dictionary();
            es = named_objects->setAt(kLevelDictionaryKey, created, dictionary_id);
            if (es != Acad::eOk) {
                if (!created->objectId().isNull())
                    created->close();
                else
                    delete created;
                return es;
            }
            created->close();
        }
    }
    AcDbObjectPointer<KORVLevel_dictionary> dictionary(dictionary_id, AcDb::kForWrite);
    if (dictionary.openStatus() != Acad::eOk) return dictionary.openStatus();
    return dictionary->add_level(level);
}

ACRX_DXF_DEFINE_MEMBERS(KORVLevel_dictionary, AcDbObject, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVLEVELDICTIONARY, KORVDBX);

KORVLevel_dictionary::KORVLevel_dictionary() = default;
KORVLevel_dictionary::~KORVLevel_dictionary() = default;

const std::vector<KORVLevel>& KORVLevel_dictionary::levels() const {
    assertReadEnabled();
    return mLevels;
}

Acad::ErrorStatus KORVLevel_dictionary::add_level(const KORVLevel& level) {
    assertWriteEnabled();
    mLevels.push_back(level);
    return Acad::eOk;
}
