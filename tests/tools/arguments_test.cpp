// The text forms of query arguments: each parser takes its one form, rejects the near
// misses an engineer types, and says which form it expected.
#include <gtest/gtest.h>

#include <stdexcept>

#include "arguments.h"
#include "text.h"

using namespace korv_tool;

namespace {

template <typename Parse>
std::string rejection(Parse parse, const std::string& text) {
    try {
        (void)parse(text);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "accepted";
}

}  // namespace

TEST(Arguments, EachFormIsReadAndItsNearMissesRejected) {
    EXPECT_EQ(format_point(parse_point("6,0,4")), "6,0,4");
    EXPECT_EQ(format_point(parse_point("-1.5,+2,3e2")), "-1.5,2,300");
    EXPECT_TRUE(parse_vector("0,0,1").isEqualTo(AcGeVector3d::kZAxis));
    EXPECT_TRUE(parse_flag("true") && parse_flag("1") && !parse_flag("false") && !parse_flag("0"));
    EXPECT_EQ(parse_number("-3.25"), -3.25);
    EXPECT_EQ(parse_integer("-1"), -1);
    const ObjectAddress own = parse_object_address("1f");
    EXPECT_EQ(format_object_address(own.handle, own.reference), "1F");
    const ObjectAddress referenced = parse_object_address("2A@CORE");
    EXPECT_EQ(format_object_address(referenced.handle, referenced.reference), "2A@CORE");
    EXPECT_TRUE(parse_object_address("0").handle.isNull());
    EXPECT_TRUE(parse_object_address("null").handle.isNull());
    EXPECT_EQ(parse_elevations("4,8,12"), (std::list<double>{4, 8, 12}));
    EXPECT_TRUE(parse_elevations("none").empty() && parse_elevations("").empty());

    for (const char* bad : {"1,2", "1,2,3,4", "1,,3", "a,b,c", "1, 2, 3", "nan,0,0", "inf,0,0", ""})
        EXPECT_EQ(rejection(parse_point, bad), "'" + std::string(bad) + "' is not a point (x,y,z)");
    EXPECT_EQ(rejection(parse_flag, "yes"), "'yes' is not a flag (true or false)");
    EXPECT_EQ(rejection(parse_number, "4m"), "'4m' is not a number");
    EXPECT_EQ(rejection(parse_integer, "1.5"), "'1.5' is not a whole number");
    EXPECT_NE(rejection(parse_elevations, "4,,8"), "accepted");
    for (const char* bad : {"", "G1", "1F@", "@CORE", "-1", "12345678901234567"})
        EXPECT_NE(rejection(parse_object_address, bad), "accepted") << bad;
    for (const char* bad :
         {"3F2504E0-4F89-11D3-9A0C-0305E82C330", "3F2504E04F8911D39A0C0305E82C3301",
          "3F2504E0-4F89-11D3-9A0C-0305E82C33G1", "{3F2504E0-4F89-11D3-9A0C-0305E82C3301"})
        EXPECT_NE(rejection(parse_guid, bad), "accepted") << bad;
}

TEST(Arguments, GuidsRoundTripInTheUsualForm) {
    const std::string text = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";
    const GUID guid = parse_guid(text);
    EXPECT_EQ(guid.Data1, 0x3F2504E0u);
    EXPECT_EQ(guid.Data2, 0x4F89);
    EXPECT_EQ(guid.Data4[0], 0x9A);
    EXPECT_EQ(guid.Data4[7], 0x01);
    EXPECT_EQ(format_guid(guid), text);
    EXPECT_EQ(format_guid(parse_guid("{3f2504e0-4f89-11d3-9a0c-0305e82c3301}")), text);
}

TEST(Text, WideTextRoundTripsThroughUtf8AndNumbersLoseTransformNoise) {
    EXPECT_EQ(from_utf8(to_utf8(L"Stütze C1 \u00B0 \U0001F3D7")), L"Stütze C1 \u00B0 \U0001F3D7");
    EXPECT_EQ(format_number(6.123233995736766e-17) + " " + format_number(-0.0) + " " +
                  format_number(14.000000000001) + " " + format_number(2.5),
              "0 0 14 2.5");
}

TEST(Arguments, NamesAreTakenExactlyAsTyped) {
    EXPECT_EQ(parse_names("A,,b "), (std::list<std::wstring>{L"A", L"", L"b "}));
    EXPECT_EQ(parse_names("none"), (std::list<std::wstring>{L"none"}));
    EXPECT_TRUE(parse_names("").empty());
}
