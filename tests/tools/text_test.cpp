// The tool's text conventions at their edges: very large coordinates, malformed UTF-8 and
// table columns holding non-ASCII names.
#include <gtest/gtest.h>

#include <sstream>

#include "output.h"
#include "text.h"

using namespace korv_tool;

TEST(Text, LargeNumbersPrintAsNumbers) {
    EXPECT_EQ(clean_number(1e308), 1e308);
    EXPECT_EQ(format_point(AcGePoint3d(1e308, -1e308, 0.1 + 0.2)), "1e+308,-1e+308,0.3");
    EXPECT_EQ(json_text(Json::array({clean_number(-1e308)})), "[\n  -1e+308\n]\n");
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(valid_utf8("b\xc3\xa2t"), "b\xc3\xa2t");
    EXPECT_EQ(valid_utf8("a\xff"
                         "b\xc3"),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd");
    // An overlong form and a surrogate: a replacement for each byte.
    std::string replacements;
    for (int i = 0; i < 5; ++i) replacements += "\xef\xbf\xbd";
    EXPECT_EQ(valid_utf8("\xc0\xaf\xed\xa0\x80"), replacements);
    EXPECT_EQ(to_utf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(json_text(Json("\xff")), "\"\xef\xbf\xbd\"\n");
}

TEST(Text, TableColumnsCountCharactersNotBytes) {
    TextTable table({"NAME", "ID"});
    table.add_row({"bâtiment", "1"});
    table.add_row({"C1", "2"});
    std::ostringstream out;
    table.print(out, "");
    EXPECT_EQ(out.str(), "NAME      ID\nbâtiment  1\nC1        2\n");
}
