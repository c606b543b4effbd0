// dxf_tags.h: the tag level of drawing exchange files (DXF, ASCII form).
//
// A DXF file is a flat sequence of tags, each two lines: an integer group code and a value.
// The group code fixes the value's type (text, real, 16/32/64-bit integer, boolean, handle,
// object reference, binary chunk); everything above this level (sections, tables, objects)
// is built from tags. Values are kept as their text (UTF-8) so that unknown data can be
// written back exactly as it was read. Tags read from a file are views into the file's
// bytes: a drawing of millions of tags is read without a string per tag.
#pragma once

#include <acadstrc.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korv_host::dxf {

// A tag as read: its value a view into the text it was read from.
struct Tag {
    int code = 0;
    std::string_view value;
    size_t line = 0;  // of the group code in the file, from 1
};
using Tags = std::vector<Tag>;

// Tags being written, as DXF text: each code right-aligned in three columns, as the host
// writes it, then its value.
class TagText {
public:
    void add(int code, std::string_view value);
    void add(const TagText& tags, size_t at);  // at: a tag's offset in the text
    size_t count() const { return mCount; }
    // What the text was at some point, to go back to.
    struct Mark {
        size_t size = 0;
        size_t count = 0;
    };
    Mark mark() const { return {mText.size(), mCount}; }
    void cut(Mark mark) {
        mText.resize(mark.size);
        mCount = mark.count;
    }
    const std::string& text() const { return mText; }
    std::string take() { return std::move(mText); }

private:
    std::string mText;
    size_t mCount = 0;
};

enum class ValueType {
    Text,   // strings, names, markers, and handles written as text (5, 105, 320-329, 1005)
    Real,   // coordinates, distances, angles
    Int16,  // includes the 8-bit (280-289) and boolean (290-299) groups
    Int32,
    Int64,
    // A handle that names another object of the drawing (330-369, 390-399, 480-481). Its
    // text is not checked here: a reference that names nothing usable is the reader's to
    // repair (it becomes the null id), not a reason to refuse the file.
    ObjectRef,
    Binary,  // hexadecimal text (310-319, 1004)
    Invalid  // a group code that DXF does not define
};
ValueType value_type(int code);
// The first coordinate of a point whose y and z follow with code + 10 and code + 20.
bool is_point_x(int code);
// Groups whose text is a handle: own handles (5, 105), arbitrary handles and references.
bool is_handle_code(int code);

// Reads text tag by tag. Comments (999) and a UTF-8 byte-order mark before the first tag
// are passed over. Checked reading fails with eBadDxfSequence for a group code line that
// is not an integer, an undefined group code or a data value that is not of its code's
// type, and with eDwgNeedsRecovery for text cut off inside a tag. The entry count of a
// table head (its group 70) is only a hint, and writers of tables with many entries exceed
// 16 bits: any integer is accepted there. Text that was read checked once can be read again
// from any tag's position unchecked.
class TagScanner {
public:
    explicit TagScanner(std::string_view text);
    // From the tag whose group code starts at `offset`, on line `line`, of text read before.
    TagScanner(std::string_view text, size_t offset, size_t line)
        : mText(text), mPos(offset), mLine(line - 1) {}

    // eOk with the next tag, eEndOfFile after the last one, or the text's fault.
    Acad::ErrorStatus next_checked(Tag& tag);
    // The next tag of text that next_checked accepted; false after the last one.
    bool next(Tag& tag);
    // Where the group code of the tag read last starts.
    size_t tag_offset() const { return mTagOffset; }

private:
    bool next_line(std::string_view& line);
    std::string_view mText;
    size_t mPos = 0;
    size_t mLine = 0;  // lines read so far
    size_t mTagOffset = 0;
    bool mInTableHead = false;  // since "0 TABLE", up to the table's first entry
};

// All tags of the text (TagScanner::next_checked).
Acad::ErrorStatus parse_tags(std::string_view text, Tags& tags);

// Values as text and back. Parsing is strict: the whole text (surrounding blanks aside)
// must be the value; reals must be finite.
bool parse_real(std::string_view text, double& value);
bool parse_integer(std::string_view text, int64_t& value);
bool parse_handle(std::string_view text, uint64_t& value);
// kDfltPrec (-1): the shortest text that reads back as the same double; 0..16: decimals.
std::string format_real(double value, int precision = -1);
std::string format_handle(uint64_t value);

// Latin-1 text (older files) as UTF-8, with the host's \U+XXXX escapes decoded; a
// character beyond the basic plane is written \U+XXXXXXXX (eight digits, as other
// writers do) or as a pair of escaped surrogates.
std::string latin1_to_utf8(std::string_view text);
// False where latin1_to_utf8 gives the text back unchanged (ASCII without escapes).
bool latin1_changes(std::string_view text);

}  // namespace korv_host::dxf
