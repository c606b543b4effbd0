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
using Statuses = std::vector<Acad::ErrorStatus>;

// A plain non-graphical object, as a library keeps its data.
class Note : public AcDbObject {};

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

// "modified(line) erased(line)": the notices in order, the notifier being the line.
std::string render(const std::vector<Notice>& log, AcDbObjectId line) {
    std::string text;
    for (const Notice& notice : log) {
        text +=
            (text.empty() ? "" : " ") + notice.what + (notice.notifier == line ? "(line)" : "(?)");
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
    // Puts the object (a new note unless given) under the key of the dictionary and closes it.
    AcDbObjectId put(AcDbObjectId dictionary_id, const ACHAR* key, AcDbObject* made = nullptr) {
        if (made == nullptr) made = new Note();
        AcDbDictionaryPointer dictionary(dictionary_id, AcDb::kForWrite);
        AcDbObjectId id;
        EXPECT_EQ(dictionary->setAt(key, made, id), Acad::eOk);
        made->close();
        return id;
    }
    AcDbObjectId extension_dictionary(AcDbObjectId owner) {
        AcDbObjectPointer<AcDbObject> object(owner, AcDb::kForWrite);
        EXPECT_EQ(object->createExtensionDictionary(), Acad::eOk);
        return object->extensionDictionary();
    }
    void unerase(AcDbObjectId id) {
        AcDbObjectPointer<AcDbObject> object(id, AcDb::kForWrite, true);
        EXPECT_EQ(object->erase(false), Acad::eOk);
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

// How the object stands towards the dictionary: "erased" or "live", then "owned" when the
// dictionary owns it or "free" when nothing does, and "watched" when the dictionary watches it.
std::string fate(AcDbObjectId id, AcDbObjectId dictionary) {
    AcDbObjectPointer<AcDbObject> object(id, AcDb::kForRead, true);
    if (object.openStatus() != Acad::eOk) return "unopened";
    std::string text = object->isErased() ? "erased" : "live";
    if (object->ownerId() == dictionary) text += " owned";
    if (object->ownerId().isNull()) text += " free";
    if (object->hasPersistentReactor(dictionary)) text += " watched";
    return text;
}

// ----- the named objects dictionary, setAt, lookups, removal ---------------------------------

TEST_F(DbDictionaryTest, EveryNewDrawingHasAnEmptyNamedObjectsDictionaryAndMisuseIsReported) {
    Drawing drawing;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(drawing.db->getNamedObjectsDictionary(nod), Acad::eOk);
    EXPECT_EQ(nod->objectId(), drawing.nod());
    EXPECT_TRUE(nod->ownerId().isNull());
    EXPECT_EQ(nod->numEntries(), 0u);
    nod->close();
    ASSERT_EQ(drawing.db->getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(nod->isWriteEnabled());
    nod->close();
    // Lookups on it once closed are reported as misuse.
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

    host_test::fail_open_of(drawing.nod(), Acad::eOutOfMemory);
    EXPECT_EQ(drawing.db->getNamedObjectsDictionary(nod), Acad::eOutOfMemory);
    EXPECT_EQ(nod, nullptr);

    AcDbDatabase unread(false, true);
    EXPECT_EQ(unread.getNamedObjectsDictionary(nod), Acad::eNullObjectId);
    EXPECT_EQ(nod, nullptr);
}

TEST_F(DbDictionaryTest, SetAtMakesTheObjectResidentOwnedAndWatchedUnderItsKey) {
    Drawing drawing;
    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    auto* note = new Note();
    AcDbObjectId id;
    ASSERT_EQ(nod->setAt(L"Levels", note, id), Acad::eOk);
    EXPECT_EQ(id, note->objectId());
    EXPECT_EQ(note->database(), drawing.db.get());
    EXPECT_TRUE(note->isWriteEnabled()) << "left open for the caller to close";
    EXPECT_EQ(note->close(), Acad::eOk);
    EXPECT_EQ(fate(id, drawing.nod()), "live owned watched");

    AcDbObjectId found;
    EXPECT_EQ(nod->getAt(L"LEVELS", found), Acad::eOk);
    EXPECT_EQ(found, id);
    EXPECT_TRUE(nod->has(L"levels") && nod->has(id));
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
    {
        AcDbObjectPointer<AcDbObject> reopened(id, AcDb::kForWrite);
        AcDbObjectId again;
        EXPECT_EQ(nod->setAt(L"LEVELS", reopened, again), Acad::eOk);
        EXPECT_EQ(again, id);
        EXPECT_EQ(nod->setAt(L"Other", reopened, again), Acad::eAlreadyInDb);
    }
    // A new object under a used key erases and lets go of the old one.
    auto* replacement = new Note();
    AcDbObjectId second;
    ASSERT_EQ(nod->setAt(L"LEVELS", replacement, second), Acad::eOk);
    replacement->close();
    EXPECT_EQ(nod->numEntries(), 1u);
    EXPECT_EQ(nod->getAt(L"levels", found), Acad::eOk);
    EXPECT_EQ(found, second);
    EXPECT_EQ(nod->nameAt(second, name), Acad::eOk);
    EXPECT_EQ(name.text(), L"LEVELS");
    EXPECT_FALSE(nod->has(id));
    EXPECT_EQ(fate(id, drawing.nod()), "erased free");
    EXPECT_EQ(fate(second, drawing.nod()), "live owned watched");
}

TEST_F(DbDictionaryTest, SetAtAndRemoveRefuseWhatTheyCannotDo) {
    Drawing drawing;
    Drawing other;
    const AcDbObjectId foreign = other.object(new Note());
    const AcDbObjectId owned = drawing.put(drawing.nod(), L"Taken");
    const AcDbObjectId second_id = drawing.put(drawing.nod(), L"Second", new AcDbDictionary());
    auto* note = new Note();
    AcDbObjectId id;
    {
        AcDbDictionaryPointer reader(drawing.nod());
        EXPECT_EQ((Statuses{reader->setAt(L"K", note, id), reader->remove(L"taken"),
                            reader->remove(owned)}),
                  Statuses(3, Acad::eNotOpenForWrite));
    }
    AcDbDictionary loose;
    EXPECT_EQ(loose.setAt(L"K", note, id), Acad::eNoDatabase);

    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    {
        AcDbObjectPointer<AcDbObject> elsewhere(foreign, AcDb::kForWrite);
        // Owned by the second dictionary, not by this one.
        const AcDbObjectId inner_id = drawing.put(second_id, L"Inner");
        AcDbObjectPointer<AcDbObject> inner(inner_id, AcDb::kForWrite);
        EXPECT_EQ((Statuses{nod->setAt(L"K", nullptr, id), nod->setAt(nullptr, note, id),
                            nod->setAt(L"", note, id), nod->setAt(L"K", nod.object(), id),
                            nod->setAt(L"K", elsewhere, id), nod->setAt(L"K", inner, id)}),
                  (Statuses{Acad::eNullObjectPointer, Acad::eInvalidKey, Acad::eInvalidKey,
                            Acad::eSelfReference, Acad::eWrongDatabase, Acad::eAlreadyInDb}));
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
    AcDbDictionaryPointer nod(drawing.nod(), AcDb::kForWrite);
    AcDbObjectId returned;
    EXPECT_EQ((Statuses{nod->remove(L"a"), nod->remove(L"b", returned), nod->remove(c)}),
              Statuses(3, Acad::eOk));
    EXPECT_EQ(returned, b);
    EXPECT_EQ(nod->numEntries(), 0u);
    for (const AcDbObjectId& id : {a, b, c}) EXPECT_EQ(fate(id, drawing.nod()), "live free");
    EXPECT_EQ((Statuses{nod->remove(L"a"), nod->remove(L"b", returned), nod->remove(c)}),
              Statuses(3, Acad::eKeyNotFound));
    EXPECT_TRUE(returned.isNull());
}

TEST_F(DbDictionaryTest, WalksAreInKeyOrderAndPassOverErasedEntriesUntilUnerased) {
    Drawing drawing;
    drawing.put(drawing.nod(), L"gamma");
    const AcDbObjectId beta = drawing.put(drawing.nod(), L"beta");
    drawing.put(drawing.nod(), L"Alpha");
    // Star keys get fresh anonymous names.
    EXPECT_NE(drawing.put(drawing.nod(), L"*"), drawing.put(drawing.nod(), L"*U"));
    EXPECT_EQ(walk_keys(drawing.nod()), L"*A1 *A2 Alpha beta gamma");

    drawing.builder.erase(beta);
    EXPECT_EQ(walk_keys(drawing.nod()), L"*A1 *A2 Alpha gamma");
    {
        AcDbDictionaryPointer nod(drawing.nod());
        AcDbObjectId found;
        EXPECT_EQ(nod->getAt(L"beta", found), Acad::eKeyNotFound);
        EXPECT_EQ(nod->numEntries(), 4u);
        EXPECT_FALSE(nod->has(L"*"));
    }
    drawing.unerase(beta);
    EXPECT_EQ(walk_keys(drawing.nod()), L"*A1 *A2 Alpha beta gamma");

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

TEST_F(DbDictionaryTest, ErasureGoesToTheEntriesAndFilingWritesAndReadsThemBack) {
    Drawing drawing;
    const AcDbObjectId inner = drawing.put(drawing.nod(), L"Inner", new AcDbDictionary());
    const AcDbObjectId beta = drawing.put(inner, L"beta");
    const AcDbObjectId alpha = drawing.put(inner, L"Alpha");
    drawing.builder.erase(inner);
    EXPECT_EQ(fate(beta, inner), "erased owned watched");
    drawing.unerase(inner);
    EXPECT_EQ(fate(beta, inner), "live owned watched");
    EXPECT_EQ(walk_keys(inner), L"Alpha beta");

    ItemFiler filer;
    {
        AcDbDictionaryPointer dictionary(inner);
        ASSERT_EQ(dictionary->dxfOutFields(&filer), Acad::eOk);
    }
    EXPECT_EQ(filer.section(L"AcDbDictionary"), "281=1\n3=Alpha\n350=id\n3=beta\n350=id\n");

    AcDbDictionaryPointer target(drawing.object(new AcDbDictionary()), AcDb::kForWrite);
    filer.rewind();
    ASSERT_EQ(target->dxfInFields(&filer), Acad::eOk);
    AcDbObjectId found;
    EXPECT_EQ(target->getAt(L"ALPHA", found), Acad::eOk);
    EXPECT_EQ(found, alpha);
    EXPECT_EQ(target->getAt(L"beta", found), Acad::eOk);
    EXPECT_EQ(found, beta);
    EXPECT_FALSE(target->isTreatElementsAsHard());
    EXPECT_EQ(acrxFindAcRxClassByDxfName(L"DICTIONARY"), AcDbDictionary::desc());
    std::unique_ptr<AcRxObject> made(AcDbDictionary::desc()->create());
    EXPECT_NE(AcDbDictionary::cast(made.get()), nullptr);
}

// ----- extension dictionaries -------------------------------------------------------------------

TEST_F(DbDictionaryTest, AnExtensionDictionaryIsMadeOnceGoesWithItsObjectAndIsReleasedEmpty) {
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
    EXPECT_EQ(fate(xdict, line_id), "live owned watched") << "the owner hears of its changes";
    {
        AcDbDictionaryPointer dictionary(xdict);
        EXPECT_TRUE(dictionary->isTreatElementsAsHard());
        EXPECT_EQ(dictionary->numEntries(), 0u);
    }
    {
        AcDbEntityPointer other(drawing.line(), AcDb::kForWrite);
        host_test::fail_next(HostOp::AddObject, Acad::eOutOfMemory);
        EXPECT_EQ(other->createExtensionDictionary(), Acad::eOutOfMemory);
        EXPECT_TRUE(other->extensionDictionary().isNull());
    }

    // Erasing the object erases the dictionary and what it holds; unerasing restores them.
    const AcDbObjectId note = drawing.put(xdict, L"Note");
    drawing.builder.erase(line_id);
    EXPECT_EQ(fate(xdict, line_id), "erased owned watched");
    EXPECT_EQ(fate(note, xdict), "erased owned watched");
    drawing.unerase(line_id);
    EXPECT_EQ(fate(xdict, line_id), "live owned watched");
    EXPECT_EQ(fate(note, xdict), "live owned watched");

    // Releasing it needs it empty.
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
    EXPECT_EQ(fate(xdict, line_id).substr(0, 6), "erased");
    EXPECT_EQ(line->releaseExtensionDictionary(), Acad::eOk) << "nothing left to release";
}

// ----- persistent reactors ----------------------------------------------------------------------

TEST_F(DbDictionaryTest, AReactorIsCheckedOnAttachAndHearsOfEachWriteCloseEraseAndUnerase) {
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
        EXPECT_EQ((Statuses{reader->addPersistentReactor(reactor),
                            reader->removePersistentReactor(reactor)}),
                  Statuses(2, Acad::eNotOpenForWrite));
    }
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        EXPECT_EQ(
            (Statuses{line->addPersistentReactor(AcDbObjectId::kNull),
                      line->addPersistentReactor(stale), line->addPersistentReactor(foreign),
                      line->addPersistentReactor(line_id), line->addPersistentReactor(reactor),
                      line->addPersistentReactor(reactor), line->removePersistentReactor(foreign),
                      line->removePersistentReactor(reactor),
                      line->removePersistentReactor(reactor), line->addPersistentReactor(reactor)}),
            (Statuses{Acad::eNullObjectId, Acad::eInvalidInput, Acad::eWrongDatabase,
                      Acad::eSelfReference, Acad::eOk, Acad::eDuplicateKey, Acad::eKeyNotFound,
                      Acad::eOk, Acad::eKeyNotFound, Acad::eOk}));
        EXPECT_EQ(line->persistentReactorIds(), std::vector<AcDbObjectId>{reactor});
    }
    // The close that attached it is heard; a read and a cancelled write are not.
    { AcDbEntityPointer read_only(line_id); }
    {
        AcDbEntity* line = nullptr;
        ASSERT_EQ(acdbOpenObject(line, line_id, AcDb::kForWrite), Acad::eOk);
        line->setColorIndex(1);
        line->cancel();
    }
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        line->setColorIndex(2);
    }
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->erase(), Acad::eOk);
        EXPECT_EQ(render(log, line_id), "modified(line) modified(line) erased(line)")
            << "told at once";
    }
    drawing.unerase(line_id);
    EXPECT_EQ(render(log, line_id),
              "modified(line) modified(line) erased(line) modified(line) unerased(line) "
              "modified(line)");
    for (const Notice& notice : log) {
        EXPECT_EQ(notice.open_objects, 2) << "the object and its reactor, open for notify";
        EXPECT_EQ(notice.reopen_write, Acad::eWasOpenForWrite)
            << "the notifier cannot be changed from inside a notification";
    }

    // A reactor held open elsewhere is still told; an erased one is not.
    std::vector<Notice> erased_log;
    const AcDbObjectId erased = drawing.object(new RecordingReactor(&erased_log));
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->addPersistentReactor(erased), Acad::eOk);
    }
    drawing.builder.erase(erased);
    log.clear();
    erased_log.clear();
    {
        AcDbObjectPointer<AcDbObject> held(reactor, AcDb::kForWrite);
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
    AcDbObjectId reactor_id, xdict_id;
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
        xdict_id = line->extensionDictionary();
        AcDbDictionaryPointer xdict(xdict_id, AcDb::kForWrite);
        ASSERT_EQ(xdict.openStatus(), Acad::eOk);
        auto* reactor = new RecordingReactor(&log);
        ASSERT_EQ(xdict->setAt(L"KORVLegend_attribute_reactor", reactor, reactor_id), Acad::eOk);
        ASSERT_EQ(line->addPersistentReactor(reactor_id), Acad::eOk);
        EXPECT_EQ(reactor->close(), Acad::eOk);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
    EXPECT_EQ(render(log, line_id), "modified(line)");
    EXPECT_EQ(fate(reactor_id, xdict_id), "live owned watched");
    log.clear();

    // Erasing the line tells the reactor, then takes the reactor with the dictionary, so
    // the close that follows finds no one left to tell.
    drawing.builder.erase(line_id);
    EXPECT_EQ(render(log, line_id), "erased(line)");
    EXPECT_EQ(fate(reactor_id, xdict_id), "erased owned watched");
}

}  // namespace
