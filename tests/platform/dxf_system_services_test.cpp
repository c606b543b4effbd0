// The host services around drawing files: system variables, result buffers and strings,
// entity names and redraw, and the Win32 temporary-file calls, with their failures.
#include <acdbads.h>
#include <acedads.h>
#include <acutads.h>
#include <acutmem.h>
#include <host_test/drawing_builder.h>
#include <host_test/system_variables.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "host_fixture.h"

using host_test::HostOp;

namespace {

class SystemServices : public HostTest {};

std::wstring string_variable(const ACHAR* name) {
    resbuf rb{};
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR) return L"<none>";
    std::wstring value = rb.resval.rstring;
    std::free(rb.resval.rstring);
    return value;
}

TEST_F(SystemServices, GetAndSetVarAnswerFromTheTableAndTheCurrentDocument) {
    resbuf rb{};
    EXPECT_EQ(acedGetVar(L"DWGNAME", &rb), RTERROR);  // no document
    host_test::set_current_document(
        host_test::add_document(host_test::new_drawing(), L"/projects/tower/level 2.dwg"));
    EXPECT_EQ(string_variable(L"dwgname"), L"level 2.dwg");
    EXPECT_EQ(string_variable(L"DwgPrefix"), L"/projects/tower/");

    rb.resval.rint = 99;
    EXPECT_EQ(acedGetVar(L"NOSUCHVAR", &rb), RTERROR);
    EXPECT_EQ(rb.resval.rint, 99);  // untouched
    EXPECT_EQ(acedGetVar(nullptr, &rb), RTERROR);
    ASSERT_EQ(acedGetVar(L"LUNITS", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RTSHORT);
    EXPECT_EQ(rb.resval.rint, 2);
    host_test::fail_next(HostOp::GetVar, RTREJ);
    EXPECT_EQ(acedGetVar(L"LUNITS", &rb), RTREJ);
    host_test::fail_after(0, Acad::eInvalidInput);
    EXPECT_EQ(acedGetVar(L"LUNITS", &rb), RTERROR);

    host_test::set_string_variable(L"DWGNAME", L"forced.dwg");
    host_test::set_real_variable(L"MyReal", 2.5);
    EXPECT_EQ(string_variable(L"DWGNAME"), L"forced.dwg");
    ASSERT_EQ(acedGetVar(L"MYREAL", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RTREAL);
    EXPECT_EQ(rb.resval.rreal, 2.5);
    host_test::clear_system_variable(L"LUNITS");
    EXPECT_EQ(acedGetVar(L"LUNITS", &rb), RTERROR);
    host_test::reset_system_variables();

    // Writable variables change, and only with a value of their own type.
    resbuf value{};
    value.restype = RTSHORT;
    value.resval.rint = 4;
    EXPECT_EQ(acedSetVar(L"LUNITS", &value), RTNORM);
    ASSERT_EQ(acedGetVar(L"LUNITS", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rint, 4);
    ACHAR text[] = L"note";
    value.restype = RTSTR;
    value.resval.rstring = text;
    EXPECT_EQ(acedSetVar(L"USERS1", &value), RTNORM);
    EXPECT_EQ(string_variable(L"USERS1"), L"note");
    for (const ACHAR* refused : {L"LUNITS", L"ACADVER", L"NOSUCHVAR"}) {  // type, read-only
        EXPECT_EQ(acedSetVar(refused, &value), RTERROR) << refused;
    }
}

TEST_F(SystemServices, BuffersAndStringsComeAndGo) {
    resbuf* head = acutNewRb(RTSTR);
    ASSERT_NE(head, nullptr);
    ASSERT_EQ(acutNewString(L"owned", head->resval.rstring), Acad::eOk);
    head->rbnext = acutNewRb(RTSHORT);
    EXPECT_EQ(acutRelRb(head), RTNORM);  // the chain and its string (the sanitizer build checks)
    ACHAR* copy = nullptr;
    EXPECT_EQ(acutNewString(nullptr, copy), Acad::eInvalidInput);
    ASSERT_EQ(acutNewString(L"text", copy), Acad::eOk);
    EXPECT_STREQ(copy, L"text");
    acutDelString(copy);
    EXPECT_EQ(copy, nullptr);
}

TEST_F(SystemServices, EntityNamesTranslateAndRedrawIsRecorded) {
    auto db = host_test::new_drawing();
    const AcDbObjectId line = host_test::DrawingBuilder(db.get()).add(new AcDbLine());
    ads_name name = {7, 7};
    EXPECT_EQ(acdbGetAdsName(name, AcDbObjectId()), Acad::eNullObjectId);
    EXPECT_EQ(name[0], 0);
    ASSERT_EQ(acdbGetAdsName(name, line), Acad::eOk);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
    EXPECT_EQ(back, line);
    const ads_name made_up = {12345, 678};
    EXPECT_EQ(acdbGetObjectId(back, made_up), Acad::eInvalidAdsName);
    EXPECT_TRUE(back.isNull());

    host_test::clear_host_calls();
    EXPECT_EQ(acdbEntUpd(name), RTNORM);
    ASSERT_EQ(host_test::host_calls().size(), 1u);
    EXPECT_EQ(host_test::host_calls()[0].name, "acdbEntUpd");
    EXPECT_EQ(host_test::host_calls()[0].detail, drawing_dump::handle(line));
    EXPECT_EQ(acdbEntUpd(made_up), RTERROR);
}

TEST_F(SystemServices, TemporaryPathNamesAndCopiesBehaveAsWin32) {
    dxf_files::ScratchFolder folder;
    const char* saved = std::getenv("TMPDIR");
    const std::string saved_value = saved ? saved : "";
    setenv("TMPDIR", folder.folder().c_str(), 1);
    wchar_t directory[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, directory);
    wchar_t tiny[2];
    const DWORD needed = GetTempPathW(2, tiny);
    saved ? setenv("TMPDIR", saved_value.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_EQ(std::wstring(directory), folder.wpath(""));
    EXPECT_EQ(length, std::wcslen(directory));
    EXPECT_EQ(needed, length + 1);  // too small: the size it needs

    wchar_t first[MAX_PATH] = {}, second[MAX_PATH] = {};
    ASSERT_NE(GetTempFileNameW(directory, L"dwgfile", 0, first), 0u);
    ASSERT_NE(GetTempFileNameW(directory, L"dwgfile", 0, second), 0u);
    const std::wstring name(first);
    EXPECT_EQ(name.rfind(folder.wpath("dwg"), 0), 0u) << name.c_str();
    EXPECT_NE(name, std::wstring(second));
    EXPECT_TRUE(std::filesystem::exists(std::string(name.begin(), name.end())));  // made empty
    wchar_t named[MAX_PATH] = {};
    EXPECT_EQ(GetTempFileNameW(directory, L"ab", 0x1ABCD, named), 0xABCDu);
    EXPECT_EQ(std::wstring(named), folder.wpath("abABCD.TMP"));
    EXPECT_EQ(GetTempFileNameW(folder.wpath("missing").c_str(), L"dwg", 0, named), 0u);

    dxf_files::write_text(folder.path("source.dxf"), "drawing");
    EXPECT_TRUE(CopyFileW(folder.wpath("source.dxf").c_str(), first, FALSE));
    EXPECT_EQ(dxf_files::read_text(std::string(name.begin(), name.end())), "drawing");
    EXPECT_FALSE(CopyFileW(folder.wpath("source.dxf").c_str(), first, TRUE));
    EXPECT_EQ(GetLastError(), 80u);  // ERROR_FILE_EXISTS
    EXPECT_FALSE(CopyFileW(folder.wpath("none.dxf").c_str(), first, FALSE));
    EXPECT_EQ(GetLastError(), 2u);  // ERROR_FILE_NOT_FOUND
}

}  // namespace
