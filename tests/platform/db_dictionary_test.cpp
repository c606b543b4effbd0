// Contract tests of dictionaries, extension dictionaries and persistent reactors: what setAt
// makes of an object, keys, removal and erasure, the named objects dictionary, and the
// notifications a reactor receives with the open ledger balanced around them.
#include <dbdict.h>
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <map>

#include "host_fixture.h"
#include "item_filer.h"

namespace {

using host_test::HostOp;
using DbDictionaryTest = HostTest;

// A plain non-graphical object, as a library keeps its data.
class Note : public AcDbObject {
public:
    Note() = default;
};

// One notification as a reactor saw it.
struct Notice {
    std::string what;  // "modified", "erased", "unerased"
    AcDbObjectId notifier;
    long open_objects;               // the ledger during the call
    Acad::ErrorStatus reopen_write;  // opening the notifier for write from inside the call
};

// Writes each notification it receives into a log the test owns.
class RecordingReactor : public AcDbObject {
public:
    explicit RecordingReactor(std::vector<Notice>* log) : mLog(log) {}
    void modified(const AcDbObject* dbObj) override { record("modified", dbObj); }
    void erased(const AcDbObject* dbObj, Adesk::Boolean bErasing) override {
        record(bErasing ? "erased" : "unerased", dbObj);
    }

private:
    void record(const char* what, const AcDbObject* notifier) {
        AcDbObject* reopened = nullptr;
        Acad::ErrorStatus es =
            acdbOpenObject(reopened, notifier->objectId(), AcDb::kForWrite, true);
        if (es == Acad::eOk) reopened->cancel();
        mLog->push_back({what, notifier->objectId(), host_test::open_object_count(), es});
    }
    std::vector<Notice>* mLog;
};

// "modified(line) erased(line)": the notices in order, notifiers named by label.
std::string render(const std::vector<Notice>& log,
                   const std::map<AcDbObjectId, std::string>& labels) {
    std::string text;
    for (const Notice& notice : log) {
        text += (text.empty() ? "" : " ") + notice.what + "(" + labels.at(notice.notifier) + ")";
    }
    return text;
}

// A fresh drawing with helpers for the objects these tests put in it.
struct Drawing {
    std::unique_ptr<AcDbDatabase> db = host_test::new_drawing();
    host_test::DrawingBuilder builder{db.get()};

    AcDbObjectId line() { return builder.add(new AcDbLine({0, 0, 0}, {1, 0, 0})); }
    // A resident object of its own, owned by nothing, closed.
    AcDbObjectId object(AcDbObject* made) {
        AcDbObjectId id;
        EXPECT_EQ(db->addAcDbObject(id, made), Acad::eOk);
        made->close();
        return id;
    }
    // Puts a new note under the key of the dictionary and closes it.
    AcDbObjectId put(AcDbObjectId dictionary_id, const ACHAR* key) {
        AcDbDictionaryPointer dictionary(dictionary_id, AcDb::kForWrite);
        auto* note = new Note();
        AcDbObjectId id;
        EXPECT_EQ(dictionary->setAt(key, note, id), Acad::eOk);
        note->close();
        return id;
    }
    AcDbObjectId nod() const { return db->namedObjectsDictionaryId(); }
};

// The keys a walk of the dictionary visits, separated by spaces.
std::wstring walk_keys(AcDbObjectId dictionary_id) {
    AcDbDictionaryPointer dictionary(dictionary_id);
    std::unique_ptr<AcDbDictionaryIterator> iterator(dictionary->newIterator());
    std::wstring keys;
    for (; !iterator->done(); iterator->next())
        keys += (keys.empty() ? L"" : L" ") + std::wstring(iterator->name());
    return keys;
}

bool is_erased(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    if (acdbOpenObject(object, id, AcDb::kForRead, true) != Acad::eOk) return false;
    const bool erased = object->isErased();
    object->close();
    return erased;
}

AcDbObjectId owner_of(AcDbObjectId id) {
    AcDbObjectPointer<AcDbObject> object(id, AcDb::kForRead, true);
    return object->ownerId();
}

bool watches(AcDbObjectId watched, AcDbObjectId reactor) {
    AcDbObjectPointer<AcDbObject> object(watched, AcDb::kForRead, true);
    return object->hasPersistentReactor(reactor);
}

// ----- the named objects dictionary ----------------------------------------------------------

TEST_F(DbDictionaryTest, EveryNewDrawingHasAnEmptyNamedObjectsDictionary) {
    Drawing drawing;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(drawing.db->getNamedObjectsDictionary(nod), Acad::eOk);
    EXPECT_EQ(nod->objectId(), drawing.nod());
    EXPECT_TRUE(nod->ownerId().isNull());
    EXPECT_EQ(nod->numEntries(), 0u);
    EXPECT_FALSE(nod->isWriteEnabled());
    nod->close();
    ASSERT_EQ(drawing.db->getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(nod->isWriteEnabled());
    nod->close();

    host_test::fail_open_of(drawing.nod(), Acad::eOutOfMemory);
    EXPECT_EQ(drawing.db->getNamedObjectsDictionary(nod), Acad::eOutOfMemory);
    EXPECT_EQ(nod, nullptr);

    AcDbDatabase unread(false, true);
    EXPECT_EQ(unread.getNamedObjectsDictionary(nod), Acad::eNullObjectId);
    EXPECT_EQ(nod, nullptr);
}

// ----- setAt, lookups, removal ---------------------------------------------------------------

TEST_F(DbDictionaryTest, SetAtMakesTheObjectResidentOwnedAndWatchedUnderItsKey) {
    Drawing drawing;
    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    auto* note = new Note();
    AcDbObjectId id;
    ASSERT_EQ(nod->setAt(L"Levels", note, id), Acad::eOk);
    EXPECT_EQ(id, note->objectId());
    EXPECT_EQ(note->database(), drawing.db.get());
    EXPECT_EQ(note->ownerId(), drawing.nod());
    EXPECT_TRUE(note->hasPersistentReactor(drawing.nod()));
    EXPECT_TRUE(note->isWriteEnabled()) << "left open for the caller to close";
    EXPECT_EQ(note->close(), Acad::eOk);

    AcDbObjectId found;
    EXPECT_EQ(nod->getAt(L"LEVELS", found), Acad::eOk);
    EXPECT_EQ(found, id);
    EXPECT_TRUE(nod->has(L"levels"));
    EXPECT_TRUE(nod->has(id));
    EXPECT_EQ(nod->numEntries(), 1u);
    AcString name;
    EXPECT_EQ(nod->nameAt(id, name), Acad::eOk);
    EXPECT_EQ(name.text(), L"Levels") << "the key keeps the case it was given";
    EXPECT_EQ(nod->getAt(L"Grids", found), Acad::eKeyNotFound);
    EXPECT_TRUE(found.isNull());
    EXPECT_FALSE(nod->has(L"Grids"));

    AcDbObject* object = nullptr;
    ASSERT_EQ(nod->getAt(L"levels", object, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(object->objectId(), id);
    object->close();
    AcDbLine* wrong = nullptr;
    EXPECT_EQ(nod->getAt(L"levels", wrong), Acad::eNotThatKindOfClass);
    EXPECT_EQ(wrong, nullptr);

    // The same object again: under its own key nothing changes, under another it is refused.
    AcDbObjectPointer<AcDbObject> reopened(id, AcDb::kForWrite);
    AcDbObjectId again;
    EXPECT_EQ(nod->setAt(L"LEVELS", reopened, again), Acad::eOk);
    EXPECT_EQ(again, id);
    EXPECT_EQ(nod->setAt(L"Other", reopened, again), Acad::eAlreadyInDb);
    EXPECT_EQ(nod->numEntries(), 1u);
}

TEST_F(DbDictionaryTest, SetAtOverAUsedKeyErasesAndLetsGoOfTheOldObject) {
    Drawing drawing;
    const AcDbObjectId first = drawing.put(drawing.nod(), L"Levels");
    const AcDbObjectId second = drawing.put(drawing.nod(), L"LEVELS");
    {
        AcDbDictionaryPointer nod(drawing.nod());
        EXPECT_EQ(nod->numEntries(), 1u);
        AcDbObjectId found;
        EXPECT_EQ(nod->getAt(L"levels", found), Acad::eOk);
        EXPECT_EQ(found, second);
        AcString name;
        EXPECT_EQ(nod->nameAt(second, name), Acad::eOk);
        EXPECT_EQ(name.text(), L"LEVELS");
        EXPECT_FALSE(nod->has(first));
    }
    EXPECT_TRUE(is_erased(first));
    EXPECT_TRUE(owner_of(first).isNull());
    EXPECT_FALSE(watches(first, drawing.nod()));
    EXPECT_FALSE(is_erased(second));
}

TEST_F(DbDictionaryTest, StarKeysGetFreshAnonymousNames) {
    Drawing drawing;
    const AcDbObjectId a = drawing.put(drawing.nod(), L"*");
    const AcDbObjectId b = drawing.put(drawing.nod(), L"*U");
    EXPECT_NE(a, b);
    EXPECT_EQ(walk_keys(drawing.nod()), L"*A1 *A2");
    AcDbDictionaryPointer nod(drawing.nod());
    EXPECT_FALSE(nod->has(L"*"));
}

TEST_F(DbDictionaryTest, SetAtRefusesWhatItCannotOwn) {
    Drawing drawing;
    Drawing other;
    const AcDbObjectId foreign = other.object(new Note());
    const AcDbObjectId owned = drawing.put(drawing.nod(), L"Taken");
    AcDbObjectId second_id;
    {
        AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
        auto* second = new AcDbDictionary();
        ASSERT_EQ(nod->setAt(L"Second", second, second_id), Acad::eOk);
        second->close();
    }
    auto* note = new Note();
    AcDbObjectId id;
    {
        AcDbDictionaryPointer reader(drawing.nod());
        EXPECT_EQ(reader->setAt(L"K", note, id), Acad::eNotOpenForWrite);
    }
    AcDbDictionary loose;
    EXPECT_EQ(loose.setAt(L"K", note, id), Acad::eNoDatabase);

    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    EXPECT_EQ(nod->setAt(L"K", nullptr, id), Acad::eNullObjectPointer);
    EXPECT_EQ(nod->setAt(nullptr, note, id), Acad::eInvalidKey);
    EXPECT_EQ(nod->setAt(L"", note, id), Acad::eInvalidKey);
    EXPECT_EQ(nod->setAt(L"K", nod.object(), id), Acad::eSelfReference);
    {
        AcDbObjectPointer<AcDbObject> elsewhere(foreign, AcDb::kForWrite);
        EXPECT_EQ(nod->setAt(L"K", elsewhere, id), Acad::eWrongDatabase);
    }
    {
        // Owned by the second dictionary, not by this one.
        AcDbDictionaryPointer second(second_id, AcDb::kForWrite);
        auto* inner = new Note();
        AcDbObjectId inner_id;
        ASSERT_EQ(second->setAt(L"Inner", inner, inner_id), Acad::eOk);
        EXPECT_EQ(nod->setAt(L"K", inner, id), Acad::eAlreadyInDb);
        inner->close();
    }
    host_test::fail_next(HostOp::AddObject, Acad::eOutOfMemory);
    EXPECT_EQ(nod->setAt(L"K", note, id), Acad::eOutOfMemory);
    EXPECT_TRUE(id.isNull());
    EXPECT_TRUE(note->objectId().isNull()) << "a refused object stays the caller's";
    EXPECT_FALSE(nod->has(L"K"));
    EXPECT_TRUE(nod->has(owned));
    delete note;
}

TEST_F(DbDictionaryTest, RemoveHandsTheObjectBackWithoutErasingIt) {
    Drawing drawing;
    const AcDbObjectId a = drawing.put(drawing.nod(), L"A");
    const AcDbObjectId b = drawing.put(drawing.nod(), L"B");
    const AcDbObjectId c = drawing.put(drawing.nod(), L"C");
    {
        AcDbDictionaryPointer reader(drawing.nod());
        EXPECT_EQ(reader->remove(L"a"), Acad::eNotOpenForWrite);
        EXPECT_EQ(reader->remove(a), Acad::eNotOpenForWrite);
    }
    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    EXPECT_EQ(nod->remove(L"a"), Acad::eOk);
    AcDbObjectId returned;
    EXPECT_EQ(nod->remove(L"b", returned), Acad::eOk);
    EXPECT_EQ(returned, b);
    EXPECT_EQ(nod->remove(c), Acad::eOk);
    EXPECT_EQ(nod->numEntries(), 0u);
    for (const AcDbObjectId& id : {a, b, c}) {
        EXPECT_FALSE(is_erased(id));
        EXPECT_TRUE(owner_of(id).isNull());
        EXPECT_FALSE(watches(id, drawing.nod()));
    }
    EXPECT_EQ(nod->remove(L"a"), Acad::eKeyNotFound);
    EXPECT_EQ(nod->remove(L"b", returned), Acad::eKeyNotFound);
    EXPECT_TRUE(returned.isNull());
    EXPECT_EQ(nod->remove(c), Acad::eKeyNotFound);
}

TEST_F(DbDictionaryTest, WalksAreInKeyOrderAndPassOverErasedEntriesUntilUnerased) {
    Drawing drawing;
    drawing.put(drawing.nod(), L"gamma");
    const AcDbObjectId beta = drawing.put(drawing.nod(), L"beta");
    drawing.put(drawing.nod(), L"Alpha");
    EXPECT_EQ(walk_keys(drawing.nod()), L"Alpha beta gamma");

    drawing.builder.erase(beta);
    EXPECT_EQ(walk_keys(drawing.nod()), L"Alpha gamma");
    {
        AcDbDictionaryPointer nod(drawing.nod());
        AcDbObjectId found;
        EXPECT_EQ(nod->getAt(L"beta", found), Acad::eKeyNotFound);
        EXPECT_EQ(nod->numEntries(), 2u);
    }
    {
        AcDbObjectPointer<AcDbObject> erased(beta, AcDb::kForWrite, true);
        ASSERT_EQ(erased->erase(false), Acad::eOk);
    }
    EXPECT_EQ(walk_keys(drawing.nod()), L"Alpha beta gamma");

    AcDbDictionaryPointer nod(drawing.nod());
    std::unique_ptr<AcDbDictionaryIterator> iterator(nod->newIterator());
    EXPECT_EQ(host_test::live_iterator_count(), 1);
    ASSERT_TRUE(iterator->setPosition(beta));
    AcDbObject* object = nullptr;
    ASSERT_EQ(iterator->getObject(object), Acad::eOk);
    EXPECT_EQ(object->objectId(), beta);
    object->close();
    ASSERT_TRUE(iterator->next());
    EXPECT_EQ(std::wstring(iterator->name()), L"gamma");
    const AcDbObjectId gamma = iterator->objectId();
    EXPECT_FALSE(iterator->setPosition(AcDbObjectId::kNull));
    ASSERT_TRUE(iterator->setPosition(beta));
    // An entry erased during the walk is passed over by the next step.
    drawing.builder.erase(gamma);
    EXPECT_FALSE(iterator->next());
    EXPECT_TRUE(iterator->done());
    EXPECT_EQ(iterator->getObject(object), Acad::eInvalidIndex);
}

TEST_F(DbDictionaryTest, LookupsOnADictionaryThatIsNotOpenAreReported) {
    Drawing drawing;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(drawing.db->getNamedObjectsDictionary(nod), Acad::eOk);
    nod->close();
    AcDbObjectId found;
    EXPECT_EQ(nod->getAt(L"x", found), Acad::eNotOpenForRead);
    EXPECT_EQ(nod->newIterator(), nullptr);
    const auto violations = host_test::host_violations();
    ASSERT_EQ(violations.size(), 2u);
    EXPECT_EQ(violations[0].rfind("getAt on a dictionary that is not open: AcDbDictionary", 0), 0u)
        << violations[0];
    EXPECT_EQ(violations[1].rfind("newIterator on a dictionary that is not open", 0), 0u)
        << violations[1];
    host_test::clear_host_violations();
}

TEST_F(DbDictionaryTest, ErasingADictionaryErasesItsEntriesAndUnerasingRestoresThem) {
    Drawing drawing;
    AcDbObjectId inner_id;
    {
        AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
        auto* inner = new AcDbDictionary();
        ASSERT_EQ(nod->setAt(L"Inner", inner, inner_id), Acad::eOk);
        inner->close();
    }
    const AcDbObjectId note = drawing.put(inner_id, L"Note");
    drawing.builder.erase(inner_id);
    EXPECT_TRUE(is_erased(note));
    {
        AcDbObjectPointer<AcDbObject> inner(inner_id, AcDb::kForWrite, true);
        ASSERT_EQ(inner->erase(false), Acad::eOk);
    }
    EXPECT_FALSE(is_erased(note));
    EXPECT_EQ(walk_keys(inner_id), L"Note");
}

TEST_F(DbDictionaryTest, FilesItsEntriesAndReadsThemBack) {
    Drawing drawing;
    const AcDbObjectId beta = drawing.put(drawing.nod(), L"beta");
    const AcDbObjectId alpha = drawing.put(drawing.nod(), L"Alpha");
    ItemFiler filer;
    {
        AcDbDictionaryPointer nod(drawing.nod());
        ASSERT_EQ(nod->dxfOutFields(&filer), Acad::eOk);
    }
    EXPECT_EQ(filer.section(L"AcDbDictionary"), "281=1\n3=Alpha\n350=id\n3=beta\n350=id\n");

    auto* copy = new AcDbDictionary();
    const AcDbObjectId copy_id = drawing.object(copy);
    {
        AcDbDictionaryPointer target(copy_id, AcDb::kForWrite);
        filer.rewind();
        ASSERT_EQ(target->dxfInFields(&filer), Acad::eOk);
        AcDbObjectId found;
        EXPECT_EQ(target->getAt(L"ALPHA", found), Acad::eOk);
        EXPECT_EQ(found, alpha);
        EXPECT_EQ(target->getAt(L"beta", found), Acad::eOk);
        EXPECT_EQ(found, beta);
        EXPECT_FALSE(target->isTreatElementsAsHard());
    }
    EXPECT_EQ(acrxFindAcRxClassByDxfName(L"DICTIONARY"), AcDbDictionary::desc());
    std::unique_ptr<AcRxObject> made(AcDbDictionary::desc()->create());
    EXPECT_NE(AcDbDictionary::cast(made.get()), nullptr);
}

// ----- extension dictionaries -------------------------------------------------------------------

TEST_F(DbDictionaryTest, AnExtensionDictionaryIsMadeOnceOwnedByItsObjectAndLeftClosed) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    {
        AcDbEntityPointer reader(line_id);
        EXPECT_EQ(reader->createExtensionDictionary(), Acad::eNotOpenForWrite);
        EXPECT_TRUE(reader->extensionDictionary().isNull());
    }
    AcDbLine loose;
    EXPECT_EQ(loose.createExtensionDictionary(), Acad::eNoDatabase);

    AcDbObjectId xdict;
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
        xdict = line->extensionDictionary();
        ASSERT_FALSE(xdict.isNull());
        EXPECT_EQ(host_test::open_object_count(), 1) << "the new dictionary is closed";
        EXPECT_EQ(line->createExtensionDictionary(), Acad::eAlreadyInDb);
        EXPECT_EQ(line->extensionDictionary(), xdict);
    }
    AcDbDictionaryPointer dictionary(xdict);
    EXPECT_EQ(dictionary->ownerId(), line_id);
    EXPECT_TRUE(dictionary->hasPersistentReactor(line_id)) << "the owner hears of its changes";
    EXPECT_TRUE(dictionary->isTreatElementsAsHard());
    EXPECT_EQ(dictionary->numEntries(), 0u);

    const AcDbObjectId other_id = drawing.line();
    AcDbEntityPointer other(other_id, AcDb::kForWrite);
    host_test::fail_next(HostOp::AddObject, Acad::eOutOfMemory);
    EXPECT_EQ(other->createExtensionDictionary(), Acad::eOutOfMemory);
    EXPECT_TRUE(other->extensionDictionary().isNull());
}

TEST_F(DbDictionaryTest, ReleasingAnExtensionDictionaryNeedsItEmpty) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    AcDbObjectId xdict;
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
        xdict = line->extensionDictionary();
    }
    const AcDbObjectId note = drawing.put(xdict, L"Note");
    {
        AcDbEntityPointer line(line_id);
        EXPECT_EQ(line->releaseExtensionDictionary(), Acad::eNotOpenForWrite);
    }
    AcDbEntityPointer line(line_id, AcDb::kForWrite);
    EXPECT_EQ(line->releaseExtensionDictionary(), Acad::eNotApplicable);
    EXPECT_EQ(line->extensionDictionary(), xdict);
    {
        AcDbDictionaryPointer dictionary(xdict, AcDb::kForWrite);
        ASSERT_EQ(dictionary->remove(note), Acad::eOk);
    }
    EXPECT_EQ(line->releaseExtensionDictionary(), Acad::eOk);
    EXPECT_TRUE(line->extensionDictionary().isNull());
    EXPECT_TRUE(is_erased(xdict));
    EXPECT_EQ(line->releaseExtensionDictionary(), Acad::eOk) << "nothing left to release";
}

TEST_F(DbDictionaryTest, ErasingAnObjectErasesItsExtensionDictionaryAndUnerasingRestoresIt) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    AcDbObjectId xdict;
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
        xdict = line->extensionDictionary();
    }
    const AcDbObjectId note = drawing.put(xdict, L"Note");
    drawing.builder.erase(line_id);
    EXPECT_TRUE(is_erased(xdict));
    EXPECT_TRUE(is_erased(note));
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite, true);
        ASSERT_EQ(line->erase(false), Acad::eOk);
    }
    EXPECT_FALSE(is_erased(xdict));
    EXPECT_FALSE(is_erased(note));
}

// ----- persistent reactors ----------------------------------------------------------------------

TEST_F(DbDictionaryTest, AddingAPersistentReactorChecksTheIdAndTheOpenState) {
    Drawing drawing;
    Drawing other;
    const AcDbObjectId line_id = drawing.line();
    std::vector<Notice> log;
    const AcDbObjectId reactor = drawing.object(new RecordingReactor(&log));
    const AcDbObjectId foreign = other.object(new Note());
    AcDbObjectId stale;
    {
        Drawing gone;
        stale = gone.object(new Note());
    }
    {
        AcDbEntityPointer reader(line_id);
        EXPECT_EQ(reader->addPersistentReactor(reactor), Acad::eNotOpenForWrite);
        EXPECT_EQ(reader->removePersistentReactor(reactor), Acad::eNotOpenForWrite);
    }
    AcDbEntityPointer line(line_id, AcDb::kForWrite);
    EXPECT_EQ(line->addPersistentReactor(AcDbObjectId::kNull), Acad::eNullObjectId);
    EXPECT_EQ(line->addPersistentReactor(stale), Acad::eInvalidInput);
    EXPECT_EQ(line->addPersistentReactor(foreign), Acad::eWrongDatabase);
    EXPECT_EQ(line->addPersistentReactor(line_id), Acad::eSelfReference);
    EXPECT_FALSE(line->hasPersistentReactor(reactor));
    EXPECT_EQ(line->addPersistentReactor(reactor), Acad::eOk);
    EXPECT_EQ(line->addPersistentReactor(reactor), Acad::eDuplicateKey);
    EXPECT_TRUE(line->hasPersistentReactor(reactor));
    EXPECT_EQ(line->persistentReactorIds(), std::vector<AcDbObjectId>{reactor});
    EXPECT_EQ(line->removePersistentReactor(foreign), Acad::eKeyNotFound);
    EXPECT_EQ(line->removePersistentReactor(reactor), Acad::eOk);
    EXPECT_FALSE(line->hasPersistentReactor(reactor));
    EXPECT_EQ(line->removePersistentReactor(reactor), Acad::eKeyNotFound);
}

TEST_F(DbDictionaryTest, AReactorHearsOfEachWriteCloseEraseAndUnerase) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    std::vector<Notice> log;
    const AcDbObjectId reactor = drawing.object(new RecordingReactor(&log));
    const std::map<AcDbObjectId, std::string> labels = {{line_id, "line"}};
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->addPersistentReactor(reactor), Acad::eOk);
    }
    EXPECT_EQ(render(log, labels), "modified(line)") << "the close that attached it";
    log.clear();

    { AcDbEntityPointer read_only(line_id); }
    EXPECT_EQ(render(log, labels), "") << "a read changes nothing";
    {
        AcDbEntity* line = nullptr;
        ASSERT_EQ(acdbOpenObject(line, line_id, AcDb::kForWrite), Acad::eOk);
        line->setColorIndex(1);
        line->cancel();
    }
    EXPECT_EQ(render(log, labels), "") << "a cancelled write is not reported";
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        line->setColorIndex(2);
    }
    EXPECT_EQ(render(log, labels), "modified(line)");
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->erase(), Acad::eOk);
        EXPECT_EQ(render(log, labels), "modified(line) erased(line)") << "told at once";
    }
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite, true);
        ASSERT_EQ(line->erase(false), Acad::eOk);
    }
    EXPECT_EQ(render(log, labels),
              "modified(line) erased(line) modified(line) unerased(line) modified(line)");
    for (const Notice& notice : log) {
        EXPECT_EQ(notice.open_objects, 2) << "the object and its reactor, open for notify";
        EXPECT_EQ(notice.reopen_write, Acad::eWasOpenForWrite)
            << "the notifier cannot be changed from inside a notification";
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
}

TEST_F(DbDictionaryTest, AReactorOpenElsewhereIsToldButAnErasedOneIsNot) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    std::vector<Notice> log;
    const AcDbObjectId busy = drawing.object(new RecordingReactor(&log));
    std::vector<Notice> erased_log;
    const AcDbObjectId erased = drawing.object(new RecordingReactor(&erased_log));
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->addPersistentReactor(busy), Acad::eOk);
        ASSERT_EQ(line->addPersistentReactor(erased), Acad::eOk);
    }
    drawing.builder.erase(erased);
    log.clear();
    erased_log.clear();
    {
        AcDbObjectPointer<AcDbObject> held(busy, AcDb::kForWrite);
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        line->setColorIndex(3);
        line.close();
        EXPECT_EQ(host_test::open_object_count(), 1);
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].what, "modified");
    EXPECT_EQ(log[0].open_objects, 3) << "the line, the reactor held for write, its notify open";
    EXPECT_TRUE(erased_log.empty());
}

// The way a library attaches a reactor: kept in the object's extension dictionary, listed
// among its persistent reactors, while the object stays open for write throughout.
TEST_F(DbDictionaryTest, AReactorKeptInTheExtensionDictionaryWatchesItsOwner) {
    Drawing drawing;
    const AcDbObjectId line_id = drawing.line();
    std::vector<Notice> log;
    AcDbObjectId reactor_id;
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
        AcDbDictionaryPointer xdict(line->extensionDictionary(), AcDb::kForWrite);
        ASSERT_EQ(xdict.openStatus(), Acad::eOk);
        auto* reactor = new RecordingReactor(&log);
        ASSERT_EQ(xdict->setAt(L"KORVLegend_attribute_reactor", reactor, reactor_id), Acad::eOk);
        ASSERT_EQ(line->addPersistentReactor(reactor_id), Acad::eOk);
        EXPECT_EQ(reactor->close(), Acad::eOk);
        EXPECT_EQ(xdict->numEntries(), 1u);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
    const std::map<AcDbObjectId, std::string> labels = {{line_id, "line"}};
    EXPECT_EQ(render(log, labels), "modified(line)");
    EXPECT_EQ(owner_of(reactor_id), [&] {
        AcDbEntityPointer line(line_id);
        return line->extensionDictionary();
    }());
    log.clear();

    // Erasing the line tells the reactor, then takes the reactor with the dictionary, so
    // the close that follows finds no one left to tell.
    drawing.builder.erase(line_id);
    EXPECT_EQ(render(log, labels), "erased(line)");
    EXPECT_TRUE(is_erased(reactor_id));
}

}  // namespace
