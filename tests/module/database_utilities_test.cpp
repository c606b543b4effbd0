// Database utilities: reading a drawing read-only through a temporary copy when the host
// refuses the file itself, redrawing one entity, reading a string system variable, and
// block records by name and by id. Each failure must end in a plain result (false, the null
// id, an empty name, a null record) with exactly the checks it reports, and nothing open.
#include <host_test/file_locks.h>
#include <host_test/system_variables.h>

#include <algorithm>
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

// What KORVloadDwgReadOnly gave back. The outputs start as values the function must either
// overwrite or leave alone, so that both are visible.
struct Load {
    bool returned = false;
    bool used_copy = true;
    std::wstring copy_name = L"untouched";
};

Load load(AcDbDatabase& database, const std::wstring& path) {
    Load result;
    result.returned = KORVloadDwgReadOnly(&database, path, result.used_copy, result.copy_name);
    return result;
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
        if (saved_tmpdir_) {
            setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        ModuleTest::TearDown();
    }

    std::string temporary_folder() const { return files_.path("tmp"); }
    std::wstring drawing_path() const { return files_.wpath("level.dxf"); }
    // The files in the temporary folder, by full path.
    std::vector<std::string> temporary_files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temporary_folder()))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The copy is the caller's: check it is a unique "dwg" name in the temporary folder
    // holding the drawing, then remove it as a caller would.
    void expect_copy_of(const std::string& original, const Load& result) {
        const std::string copy = narrow(result.copy_name);
        EXPECT_TRUE(std::regex_match(copy, std::regex(temporary_folder() + "/dwg[0-9A-F]+\\.TMP")))
            << copy;
        EXPECT_EQ(temporary_files(), std::vector<std::string>{copy});
        EXPECT_EQ(dxf_files::read_text(copy), dxf_files::read_text(original));
        std::filesystem::remove(copy);
    }

    dxf_files::ScratchFolder files_;
    std::optional<std::string> saved_tmpdir_;
};

TEST_F(LoadReadOnlyTest, ADrawingTheHostOpensIsReadWithoutACopy) {
    AcDbDatabase database(false, true);
    const Load result = load(database, drawing_path());
    EXPECT_TRUE(result.returned);
    EXPECT_FALSE(result.used_copy);
    EXPECT_EQ(result.copy_name, L"untouched");
    EXPECT_TRUE(temporary_files().empty());
    EXPECT_FALSE(get_block_record_id(L"FOOTING", &database).isNull());
    const ACHAR* file_name = nullptr;
    ASSERT_EQ(database.getFilename(file_name), Acad::eOk);
    EXPECT_EQ(file_name, drawing_path());
    EXPECT_EQ(checks(), "");
}

TEST_F(LoadReadOnlyTest, BothRefusalsReadACopyInTheTemporaryFolder) {
    // 433: another program holds the drawing open for writing; 72: the host cannot access it.
    const std::vector<std::pair<const char*, std::function<std::shared_ptr<void>()>>> refusals = {
        {"sharing violation",
         [&] {
             return std::shared_ptr<void>(host_test::hold_exclusive_lock_in_child(drawing_path()));
         }},
        {"access error",
         [] {
             host_test::fail_next(HostOp::ReadDwgFile, Acad::eFileAccessErr);
             return std::shared_ptr<void>();
         }},
    };
    for (const auto& [label, refuse] : refusals) {
        SCOPED_TRACE(label);
        const std::shared_ptr<void> refusal = refuse();
        AcDbDatabase database(false, true);
        const Load result = load(database, drawing_path());
        EXPECT_TRUE(result.returned);
        EXPECT_TRUE(result.used_copy);
        EXPECT_FALSE(get_block_record_id(L"FOOTING", &database).isNull());
        const ACHAR* file_name = nullptr;
        ASSERT_EQ(database.getFilename(file_name), Acad::eOk);
        EXPECT_EQ(file_name, result.copy_name);  // the database was read from the copy
        expect_copy_of(files_.path("level.dxf"), result);
        EXPECT_EQ(checks(), "");
    }
}

TEST_F(LoadReadOnlyTest, TheCopyIsReportedAlsoWhenReadingItFails) {
    {
        // Refused, then the copy's read fails too.
        auto hold = host_test::hold_exclusive_lock_in_child(drawing_path());
        host_test::fail_nth(HostOp::ReadDwgFile, 2, Acad::eOutOfMemory);
        AcDbDatabase database(false, true);
        const Load result = load(database, drawing_path());
        EXPECT_FALSE(result.returned);
        EXPECT_TRUE(result.used_copy);
        expect_copy_of(files_.path("level.dxf"), result);
    }
    {
        host_test::fail_next(HostOp::ReadDwgFile, Acad::eFileAccessErr);
        host_test::fail_next(HostOp::ReadDwgFile, Acad::eFileAccessErr);
        AcDbDatabase database(false, true);
        const Load result = load(database, drawing_path());
        EXPECT_FALSE(result.returned);
        EXPECT_TRUE(result.used_copy);
        expect_copy_of(files_.path("level.dxf"), result);
    }
    {
        // A held file that is no drawing: its copy is no drawing either.
        dxf_files::write_text(files_.path("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx");
        auto hold = host_test::hold_exclusive_lock_in_child(files_.wpath("bad.dxf"));
        AcDbDatabase database(false, true);
        const Load result = load(database, files_.wpath("bad.dxf"));
        EXPECT_FALSE(result.returned);
        EXPECT_TRUE(result.used_copy);
        expect_copy_of(files_.path("bad.dxf"), result);
    }
    EXPECT_EQ(checks(), "");
}

TEST_F(LoadReadOnlyTest, AnyOtherReadFailureGivesFalseWithoutACopy) {
    dxf_files::write_text(files_.path("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx");
    AcDbDatabase already_read(false, true);
    ASSERT_EQ(already_read.readDwgFile(drawing_path().c_str()), Acad::eOk);
    const std::vector<std::pair<const char*, std::function<Load()>>> failures = {
        {"missing file",
         [&] {
             AcDbDatabase database(false, true);
             return load(database, files_.wpath("missing.dxf"));
         }},
        {"bad file",
         [&] {
             AcDbDatabase database(false, true);
             return load(database, files_.wpath("bad.dxf"));
         }},
        {"host failure",
         [&] {
             host_test::fail_next(HostOp::ReadDwgFile, Acad::eOutOfMemory);
             AcDbDatabase database(false, true);
             return load(database, drawing_path());
         }},
        {"database read before", [&] { return load(already_read, drawing_path()); }},
    };
    for (const auto& [label, attempt] : failures) {
        SCOPED_TRACE(label);
        const Load result = attempt();
        EXPECT_FALSE(result.returned);
        EXPECT_FALSE(result.used_copy);
        EXPECT_EQ(result.copy_name, L"untouched");
        EXPECT_TRUE(temporary_files().empty());
    }
    EXPECT_EQ(checks(), "");
}

TEST_F(LoadReadOnlyTest, AFailedCopyGivesFalseAndLeavesTheNameUntouched) {
    // The empty file GetTempFileNameW made stays behind: the module removes nothing.
    const std::vector<std::pair<const char*, std::function<std::wstring()>>> failures = {
        {"copy fails",
         [&] {
             host_test::fail_next(HostOp::ReadDwgFile, Acad::eFileAccessErr);
             host_test::fail_next(HostOp::CopyFile, FALSE);
             return drawing_path();
         }},
        // A folder is refused with 72 by the host itself, and cannot be copied.
        {"folder", [&] { return files_.wpath("tmp"); }},
    };
    for (const auto& [label, prepare] : failures) {
        SCOPED_TRACE(label);
        const std::wstring path = prepare();
        AcDbDatabase database(false, true);
        const Load result = load(database, path);
        EXPECT_FALSE(result.returned);
        EXPECT_FALSE(result.used_copy);
        EXPECT_EQ(result.copy_name, L"untouched");
        const std::vector<std::string> left = temporary_files();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(std::filesystem::file_size(left[0]), 0u);
        EXPECT_EQ(std::filesystem::path(left[0]).filename().string().rfind("dwg", 0), 0u);
        std::filesystem::remove(left[0]);
    }
    // With no temporary folder or no temporary name there is nothing to copy to.
    for (HostOp op : {HostOp::GetTempPath, HostOp::GetTempFileName}) {
        SCOPED_TRACE(host_test::host_op_name(op));
        host_test::fail_next(HostOp::ReadDwgFile, Acad::eFileSharingViolation);
        host_test::fail_next(op, 0);
        AcDbDatabase database(false, true);
        const Load result = load(database, drawing_path());
        EXPECT_FALSE(result.returned);
        EXPECT_FALSE(result.used_copy);
        EXPECT_EQ(result.copy_name, L"untouched");
        EXPECT_TRUE(temporary_files().empty());
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
    EXPECT_EQ(host_test::host_call_summary(), "");

    KORVupdate_entity(line_);
    const std::vector<host_test::HostCall> calls = host_test::host_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "acdbEntUpd");
    ACHAR handle[AcDbHandle::kStrSiz];
    line_.handle().getIntoAsciiBuffer(handle);
    EXPECT_EQ(calls[0].detail, narrow(handle));

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
    std::wstring value = L"before";
    EXPECT_TRUE(KORVget_string_var(L"USERS1", value));
    EXPECT_EQ(value, L"level 2");
    EXPECT_TRUE(KORVget_string_var(L"DWGNAME", value));  // follows the current document
    EXPECT_EQ(value, L"plan.dwg");
    EXPECT_TRUE(KORVget_string_var(L"USERS2", value));  // an empty string is a string
    EXPECT_EQ(value, L"");

    value = L"before";
    EXPECT_FALSE(KORVget_string_var(L"NOSUCHVAR", value));
    EXPECT_EQ(value, L"before");
    EXPECT_TRUE(KORVget_string_var(L"LUNITS", value));  // answered, but not a string
    EXPECT_TRUE(KORVget_string_var(L"MYREAL", value));
    EXPECT_EQ(value, L"before");
    host_test::clear_system_variable(L"USERS1");
    EXPECT_FALSE(KORVget_string_var(L"USERS1", value));
    host_test::fail_next(HostOp::GetVar, RTCAN);
    EXPECT_FALSE(KORVget_string_var(L"USERS2", value));
    EXPECT_FALSE(KORVget_string_var(nullptr, value));
    EXPECT_EQ(value, L"before");
    EXPECT_EQ(checks(), "");
}

TEST_F(BlockRecordTest, OpenBlockRecordOpensByNameInTheAskedMode) {
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

    // A database given is used instead of the working one.
    auto side = host_test::new_drawing();
    const AcDbObjectId side_block = DrawingBuilder(side.get()).define_block(L"SIDE");
    record = open_block_record(L"SIDE", side.get(), AcDb::kForRead);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->objectId(), side_block);
    record->close();
    record = open_model_space(side.get(), AcDb::kForRead);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->objectId(), DrawingBuilder(side.get()).model_space());
    record->close();
    EXPECT_EQ(open_block_record(L"SIDE", nullptr, AcDb::kForRead), nullptr);
    EXPECT_EQ(checks(), "");
}

TEST_F(BlockRecordTest, OpenBlockRecordGivesNullOnEachFailure) {
    EXPECT_EQ(open_block_record(L"NOSUCH", nullptr, AcDb::kForRead), nullptr);
    EXPECT_EQ(open_block_record(L"OLD", nullptr, AcDb::kForRead), nullptr);  // erased
    host_test::fail_open_of(footing_, Acad::eWasOpenForWrite);
    EXPECT_EQ(open_block_record(L"FOOTING", nullptr, AcDb::kForRead), nullptr);
    EXPECT_EQ(checks(), "");

    host_test::fail_next(HostOp::GetBlockTable, Acad::eOutOfMemory);
    EXPECT_EQ(open_model_space(nullptr, AcDb::kForRead), nullptr);
    EXPECT_EQ(checks(), kTableCheck);
    auto side = host_test::new_drawing();
    host_test::fail_at(HostOp::GetBlockTable, side.get(), Acad::eOutOfMemory);
    EXPECT_EQ(open_model_space(side.get(), AcDb::kForRead), nullptr);
    EXPECT_EQ(checks(), kTableCheck);

    host_test::set_working_database(nullptr);  // no database at all: nothing to check
    EXPECT_EQ(open_model_space(nullptr, AcDb::kForRead), nullptr);
    EXPECT_TRUE(get_block_record_id(L"*Model_Space", nullptr).isNull());
    EXPECT_EQ(checks(), "");
}

TEST_F(BlockRecordTest, BlockRecordIdsByName) {
    EXPECT_EQ(get_block_record_id(L"FOOTING", nullptr), footing_);
    EXPECT_EQ(get_block_record_id(L"*Model_Space", nullptr), drawing_->model_space());
    auto side = host_test::new_drawing();
    const AcDbObjectId side_block = DrawingBuilder(side.get()).define_block(L"FOOTING");
    EXPECT_EQ(get_block_record_id(L"FOOTING", side.get()), side_block);
    EXPECT_TRUE(get_block_record_id(L"NOSUCH", nullptr).isNull());
    EXPECT_TRUE(get_block_record_id(L"OLD", nullptr).isNull());  // erased
    EXPECT_EQ(checks(), "");

    host_test::fail_next(HostOp::GetBlockTable, Acad::eOutOfMemory);
    EXPECT_TRUE(get_block_record_id(L"FOOTING", nullptr).isNull());
    EXPECT_EQ(checks(), kTableCheck);
    host_test::fail_at(HostOp::GetBlockTable, side.get(), Acad::eOutOfMemory);
    EXPECT_TRUE(get_block_record_id(L"FOOTING", side.get()).isNull());
    EXPECT_EQ(checks(), kTableCheck);
}

TEST_F(BlockRecordTest, BlockNamesById) {
    EXPECT_EQ(get_block_name(footing_), L"FOOTING");
    EXPECT_EQ(get_block_name(drawing_->model_space()), L"*Model_Space");
    EXPECT_EQ(checks(), "");
    // Each id that does not open as a block record gives an empty name and one check.
    host_test::fail_open_of(footing_, Acad::eWasOpenForWrite);
    const std::vector<std::pair<const char*, AcDbObjectId>> unreadable = {
        {"open fails", footing_},
        {"erased", old_},
        {"not a block record", line_},
        {"null", AcDbObjectId::kNull}};
    for (const auto& [label, id] : unreadable) {
        SCOPED_TRACE(label);
        EXPECT_EQ(get_block_name(id), L"");
        EXPECT_EQ(checks(), kTableCheck);
    }
}

}  // namespace
