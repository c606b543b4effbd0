// Database utilities: reading a drawing read-only through a temporary copy when the host
// refuses the file itself, redrawing one entity, reading a string system variable, and
// block records by name and by id. Each failure must end in a plain result (false, the null
// id, an empty name, a null record) with exactly the checks it reports, and nothing open.
#include <host_test/file_locks.h>
#include <host_test/system_variables.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>

#include "database_inv.h"
#include "dxf_files.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

const char* const kTableCheck = "es == Acad::eOk@database_inv";

// The reports made since the last call, which it then forgets.
std::string checks() {
    std::string summary = host_test::assertion_summary();
    host_test::clear_assertion_reports();
    return summary;
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The temporary folder is the test's own, through TMPDIR, which the host's GetTempPathW
// answers; the drawing on disk has a block FOOTING to tell that its content was read.
class LoadReadOnlyTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        std::filesystem::create_directory(temporary_folder());
        if (const char* before = std::getenv("TMPDIR")) saved_tmpdir_ = before;
        setenv("TMPDIR", temporary_folder().c_str(), 1);
        auto drawing = host_test::new_drawing();
        DrawingBuilder builder(drawing.get());
        builder.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)));
        builder.define_block(L"FOOTING");
        ASSERT_EQ(drawing->saveAs(drawing_path().c_str()), Acad::eOk);
    }
    void TearDown() override {
        saved_tmpdir_ ? setenv("TMPDIR", saved_tmpdir_->c_str(), 1) : unsetenv("TMPDIR");
        ModuleTest::TearDown();
    }

    std::string temporary_folder() const { return files_.path("tmp"); }
    std::wstring drawing_path() const { return files_.wpath("level.dxf"); }
    dxf_files::ScratchFolder files_;
    std::optional<std::string> saved_tmpdir_;
};

// Each case readies the host, then KORVloadDwgReadOnly reads path into a new database (or
// one read before). The outputs start as values the function must either overwrite or leave
// alone. Both refusals (433: another program holds the drawing open for writing; 72: the
// host cannot access it) read a copy in the temporary folder and report it, also when that
// read fails; any other failure gives false and no copy; a failed copy gives false and
// leaves the name untouched, with the empty file GetTempFileNameW made left behind.
TEST_F(LoadReadOnlyTest, ReadsTheDrawingOrItsCopyAndReportsEachFailure) {
    dxf_files::write_text(files_.path("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx");
    // Read last: while it lives, the host keeps the file open and no child can lock it.
    std::unique_ptr<AcDbDatabase> already_read;
    enum Left { kNothing, kCopy, kEmptyFile };
    struct Case {
        const char* label;
        std::function<std::shared_ptr<void>()> prepare;
        std::wstring path;
        bool returned, used_copy;
        Left left;
        bool read_before = false;
    };
    auto hold = [](const std::wstring& path) {
        return
            [path] { return std::shared_ptr<void>(host_test::hold_exclusive_lock_in_child(path)); };
    };
    auto fail = [](std::vector<std::pair<HostOp, int>> faults) {
        return [faults] {
            for (const auto& [op, status] : faults) host_test::fail_next(op, status);
            return std::shared_ptr<void>();
        };
    };
    const auto nothing = fail({});
    const std::wstring level = drawing_path(), bad = files_.wpath("bad.dxf");
    const std::vector<Case> cases = {
        {"host opens it", nothing, level, true, false, kNothing},
        {"sharing violation", hold(level), level, true, true, kCopy},
        {"access error", fail({{HostOp::ReadDwgFile, Acad::eFileAccessErr}}), level, true, true,
         kCopy},
        {"held, copy read fails",
         [&] {
             auto held = hold(level)();
             host_test::fail_nth(HostOp::ReadDwgFile, 2, Acad::eOutOfMemory);
             return held;
         },
         level, false, true, kCopy},
        {"access error twice",
         fail({{HostOp::ReadDwgFile, Acad::eFileAccessErr},
               {HostOp::ReadDwgFile, Acad::eFileAccessErr}}),
         level, false, true, kCopy},
        {"held file that is no drawing", hold(bad), bad, false, true, kCopy},
        {"missing file", nothing, files_.wpath("missing.dxf"), false, false, kNothing},
        {"bad file", nothing, bad, false, false, kNothing},
        {"host failure", fail({{HostOp::ReadDwgFile, Acad::eOutOfMemory}}), level, false, false,
         kNothing},
        {"copy fails",
         fail({{HostOp::ReadDwgFile, Acad::eFileAccessErr}, {HostOp::CopyFile, FALSE}}), level,
         false, false, kEmptyFile},
        // A folder is refused with 72 by the host itself, and cannot be copied.
        {"folder", nothing, files_.wpath("tmp"), false, false, kEmptyFile},
        {"no temporary folder",
         fail({{HostOp::ReadDwgFile, Acad::eFileSharingViolation}, {HostOp::GetTempPath, 0}}),
         level, false, false, kNothing},
        {"no temporary name",
         fail({{HostOp::ReadDwgFile, Acad::eFileSharingViolation}, {HostOp::GetTempFileName, 0}}),
         level, false, false, kNothing},
        {"database read before",
         [&] {
             already_read = std::make_unique<AcDbDatabase>(false, true);
             EXPECT_EQ(already_read->readDwgFile(level.c_str()), Acad::eOk);
             return std::shared_ptr<void>();
         },
         level, false, false, kNothing, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::shared_ptr<void> held = c.prepare();
        AcDbDatabase fresh(false, true);
        AcDbDatabase& database = c.read_before ? *already_read : fresh;
        bool used_copy = !c.used_copy;
        std::wstring copy_name = L"untouched";
        EXPECT_EQ(KORVloadDwgReadOnly(&database, c.path, used_copy, copy_name), c.returned);
        EXPECT_EQ(used_copy, c.used_copy);
        if (c.returned) {
            EXPECT_FALSE(get_block_record_id(L"FOOTING", &database).isNull());
            const ACHAR* file_name = nullptr;
            ASSERT_EQ(database.getFilename(file_name), Acad::eOk);
            EXPECT_EQ(file_name, c.used_copy ? copy_name : c.path);
        }
        std::vector<std::string> left;  // the files in the temporary folder
        for (const auto& entry : std::filesystem::directory_iterator(temporary_folder()))
            left.push_back(entry.path().string());
        if (c.left == kCopy) {
            // The copy is the caller's: a unique "dwg" name in the temporary folder holding
            // the drawing, removed here as a caller would.
            const std::string copy = narrow(copy_name);
            EXPECT_TRUE(
                std::regex_match(copy, std::regex(temporary_folder() + "/dwg[0-9A-F]+\\.TMP")))
                << copy;
            EXPECT_EQ(left, std::vector<std::string>{copy});
            EXPECT_EQ(dxf_files::read_text(copy), dxf_files::read_text(narrow(c.path)));
        } else {
            EXPECT_EQ(copy_name, L"untouched");
            ASSERT_EQ(left.size(), c.left == kEmptyFile ? 1u : 0u);
        }
        if (c.left == kEmptyFile) {
            EXPECT_EQ(std::filesystem::file_size(left[0]), 0u);
            EXPECT_EQ(std::filesystem::path(left[0]).filename().string().rfind("dwg", 0), 0u);
        }
        for (const std::string& file : left) std::filesystem::remove(file);
    }
    EXPECT_EQ(checks(), "");
}

// A plan with a line and two block definitions, one of them erased.
class BlockRecordTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        drawing_ = std::make_unique<DrawingBuilder>(open_document(L"C:/proj/plan.dwg")->database());
        footing_ = drawing_->define_block(L"FOOTING");
        old_ = drawing_->define_block(L"OLD");
        drawing_->erase(old_);
        line_ = drawing_->add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)));
    }

    std::unique_ptr<DrawingBuilder> drawing_;
    AcDbObjectId footing_, old_, line_;
};

TEST_F(BlockRecordTest, UpdateEntityRedrawsOnlyARealEntity) {
    host_test::clear_host_calls();
    const long operations = host_test::host_operation_count();
    KORVupdate_entity(AcDbObjectId::kNull);
    EXPECT_EQ(host_test::host_operation_count(), operations);  // not even a name asked for
    KORVupdate_entity(line_);
    ASSERT_EQ(host_test::host_call_summary(), "acdbEntUpd");
    ACHAR handle[AcDbHandle::kStrSiz];
    line_.handle().getIntoAsciiBuffer(handle);
    EXPECT_EQ(host_test::host_calls()[0].detail, narrow(handle));

    host_test::clear_host_calls();
    host_test::fail_next(HostOp::GetAdsName, Acad::eInvalidInput);
    KORVupdate_entity(line_);
    host_test::fail_next(HostOp::EntUpd, RTERROR);  // a result nobody reads
    KORVupdate_entity(line_);
    EXPECT_EQ(host_test::host_call_summary(), "");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(checks(), "");
}

TEST_F(BlockRecordTest, GetStringVarTakesOnlyAStringTheHostAnswersNormally) {
    host_test::set_string_variable(L"USERS1", L"level 2");
    host_test::set_real_variable(L"MYREAL", 2.5);
    // DWGNAME follows the current document; an empty string is a string; LUNITS and MYREAL
    // are answered, but not as strings.
    const std::vector<std::tuple<const ACHAR*, bool, std::wstring>> cases = {
        {L"USERS1", true, L"level 2"}, {L"DWGNAME", true, L"plan.dwg"},
        {L"USERS2", true, L""},        {L"NOSUCHVAR", false, L"before"},
        {L"LUNITS", true, L"before"},  {L"MYREAL", true, L"before"},
        {nullptr, false, L"before"}};
    for (const auto& [name, answered, expected] : cases) {
        std::wstring value = L"before";
        EXPECT_EQ(KORVget_string_var(name, value), answered) << (name ? narrow(name) : "null");
        EXPECT_EQ(value, expected);
    }
    std::wstring value = L"before";
    host_test::clear_system_variable(L"USERS1");
    EXPECT_FALSE(KORVget_string_var(L"USERS1", value));
    host_test::fail_next(HostOp::GetVar, RTCAN);
    EXPECT_FALSE(KORVget_string_var(L"USERS2", value));
    EXPECT_EQ(value, L"before");
    EXPECT_EQ(checks(), "");
}

TEST_F(BlockRecordTest, BlockRecordsOpenAndAreFoundByNameInTheAskedDatabase) {
    AcDbBlockTableRecord* record = open_block_record(L"FOOTING", nullptr, AcDb::kForRead);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->objectId(), footing_);
    EXPECT_TRUE(record->isReadEnabled());
    EXPECT_FALSE(record->isWriteEnabled());
    EXPECT_EQ(host_test::open_object_count(), 1);  // the block table is closed again
    record->close();
    record = open_model_space(nullptr, AcDb::kForWrite);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->objectId(), drawing_->model_space());
    EXPECT_TRUE(record->isWriteEnabled());
    // Asked for write again while the caller still has it: no record.
    EXPECT_EQ(open_model_space(nullptr, AcDb::kForWrite), nullptr);
    record->close();
    EXPECT_EQ(get_block_record_id(L"FOOTING", nullptr), footing_);
    EXPECT_EQ(get_block_record_id(L"*Model_Space", nullptr), drawing_->model_space());

    // A database given is used instead of the working one.
    auto side = host_test::new_drawing();
    DrawingBuilder side_builder(side.get());
    const AcDbObjectId side_block = side_builder.define_block(L"FOOTING");
    auto id_of = [](AcDbBlockTableRecord* opened) {
        AcDbObjectId id;
        if (opened != nullptr) id = opened->objectId(), opened->close();
        return id;
    };
    EXPECT_EQ(id_of(open_block_record(L"FOOTING", side.get(), AcDb::kForRead)), side_block);
    EXPECT_EQ(id_of(open_model_space(side.get(), AcDb::kForRead)), side_builder.model_space());
    EXPECT_EQ(get_block_record_id(L"FOOTING", side.get()), side_block);

    // An unknown or erased name, or a record that does not open: null, and nothing to check.
    for (const wchar_t* name : {L"NOSUCH", L"OLD"}) {
        EXPECT_EQ(open_block_record(name, nullptr, AcDb::kForRead), nullptr);
        EXPECT_TRUE(get_block_record_id(name, nullptr).isNull());
    }
    host_test::fail_open_of(footing_, Acad::eWasOpenForWrite);
    EXPECT_EQ(open_block_record(L"FOOTING", nullptr, AcDb::kForRead), nullptr);
    EXPECT_EQ(checks(), "");

    // A block table that does not open, in the working or the given database, is checked.
    for (AcDbDatabase* database : {static_cast<AcDbDatabase*>(nullptr), side.get()}) {
        host_test::fail_at(HostOp::GetBlockTable, database ? database : drawing_->database(),
                           Acad::eOutOfMemory);
        EXPECT_EQ(open_model_space(database, AcDb::kForRead), nullptr);
        EXPECT_EQ(checks(), kTableCheck);
        host_test::fail_at(HostOp::GetBlockTable, database ? database : drawing_->database(),
                           Acad::eOutOfMemory);
        EXPECT_TRUE(get_block_record_id(L"FOOTING", database).isNull());
        EXPECT_EQ(checks(), kTableCheck);
    }

    // Names by id; an id that does not open as a block record (open fails, erased, not a
    // block record, null) gives an empty name and one check.
    EXPECT_EQ(get_block_name(footing_), L"FOOTING");
    EXPECT_EQ(get_block_name(drawing_->model_space()), L"*Model_Space");
    EXPECT_EQ(checks(), "");
    host_test::fail_open_of(footing_, Acad::eWasOpenForWrite);
    for (const AcDbObjectId& id : {footing_, old_, line_, AcDbObjectId::kNull}) {
        EXPECT_EQ(get_block_name(id), L"");
        EXPECT_EQ(checks(), kTableCheck);
    }
    host_test::set_working_database(nullptr);  // no database at all: nothing to check
    EXPECT_EQ(open_model_space(nullptr, AcDb::kForRead), nullptr);
    EXPECT_TRUE(get_block_record_id(L"*Model_Space", nullptr).isNull());
    EXPECT_EQ(checks(), "");
}

}  // namespace
