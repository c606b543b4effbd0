// The host's DXF filers: items to tags when writing, tags to result buffers when reading.
#include "dxf_filer.h"

#include "ads_names.h"
#include "text.h"

namespace korv_host::dxf {

namespace {

std::string hex_bytes(const ads_binary& binary) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (short i = 0; i < binary.clen; ++i) {
        auto byte = static_cast<unsigned char>(binary.buf[i]);
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

// An object that will not be in the file (erased, gone, of another drawing) is written
// as no object, so that the file never points at nothing.
std::string handle_of(const int64_t (&name)[2], AcDbDatabase* db) {
    AcDbObjectId id;
    if (!name_to_id(name, id) || !id.isValid() || id.isErased() || id.database() != db) {
        return "0";
    }
    return format_handle(static_cast<Adesk::UInt64>(id.handle()));
}

}  // namespace

// ----- writing -----------------------------------------------------------------------------

Acad::ErrorStatus OutFiler::put(int code, std::string_view value) {
    if (mStatus != Acad::eOk) return mStatus;
    mOut.add(code, value);
    return Acad::eOk;
}

Acad::ErrorStatus OutFiler::writeResBuf(const resbuf& rb) {
    const int code = rb.restype;
    switch (value_type(code)) {
        case ValueType::Text:
            return put(code, narrow(rb.resval.rstring ? rb.resval.rstring : L""));
        case ValueType::Real:
            if (!is_point_x(code)) return put(code, format_real(rb.resval.rreal));
            put(code, format_real(rb.resval.rpoint[0]));
            put(code + 10, format_real(rb.resval.rpoint[1]));
            return put(code + 20, format_real(rb.resval.rpoint[2]));
        case ValueType::Int16:
            return put(code, std::to_string(rb.resval.rint));
        case ValueType::Int32:
            return put(code, std::to_string(rb.resval.rlong));
        case ValueType::Int64:
            return put(code, std::to_string(rb.resval.mnInt64));
        case ValueType::ObjectRef:
            return put(code, handle_of(rb.resval.rlname, mDatabase));
        case ValueType::Binary:
            return put(code, hex_bytes(rb.resval.rbinary));
        case ValueType::Invalid:
            break;
    }
    mStatus = Acad::eInvalidResBuf;
    return mStatus;
}

Acad::ErrorStatus OutFiler::writeDouble(AcDb::DxfCode code, double val, int prec) {
    if (value_type(code) != ValueType::Real) {
        mStatus = Acad::eInvalidResBuf;
        return mStatus;
    }
    return put(code, format_real(val, prec));
}

// ----- reading -----------------------------------------------------------------------------

Acad::ErrorStatus InFiler::fail(Acad::ErrorStatus status) {
    mStatus = status;
    return status;
}

bool InFiler::atEndOfObject() {
    return mPos >= mEnd || mTags[mPos].code == 0 || mTags[mPos].code == 1001;
}

Acad::ErrorStatus InFiler::readResBuf(resbuf* pRb) {
    if (pRb == nullptr) return Acad::eNullPtr;
    if (mStatus != Acad::eOk) return mStatus;
    if (atEndOfObject()) return Acad::eEndOfFile;
    mLastItem = mPos;
    const Tag& tag = mTags[mPos++];
    *pRb = resbuf{};
    pRb->restype = static_cast<short>(tag.code);
    int64_t integer = 0;
    switch (value_type(tag.code)) {
        case ValueType::Real:
            if (!is_point_x(tag.code)) {
                parse_real(tag.value, pRb->resval.rreal);
                break;
            }
            parse_real(tag.value, pRb->resval.rpoint[0]);
            for (int axis = 1; axis <= 2; ++axis) {
                if (mPos < mEnd && mTags[mPos].code == tag.code + 10 * axis) {
                    parse_real(mTags[mPos++].value, pRb->resval.rpoint[axis]);
                }
            }
            break;
        case ValueType::Int16:
            parse_integer(tag.value, integer);
            pRb->resval.rint = static_cast<short>(integer);
            break;
        case ValueType::Int32:
            parse_integer(tag.value, integer);
            pRb->resval.rlong = static_cast<int32_t>(integer);
            break;
        case ValueType::Int64:
            parse_integer(tag.value, pRb->resval.mnInt64);
            break;
        case ValueType::ObjectRef: {
            uint64_t handle = 0;
            AcDbObjectId id;
            if (!parse_handle(tag.value, handle)) {
                note(mLastItem, tag.value.empty() ? "empty reference read as none"
                                                  : "reference that is no handle read as none");
            } else if (handle != 0 && mContext.resolve && !mContext.resolve(handle, id)) {
                note(mLastItem, "reference to " + format_handle(handle) +
                                    ", which no object has, read as none");
            }
            id_to_name(id, pRb->resval.rlname);
            break;
        }
        case ValueType::Text:
        case ValueType::Binary:
        case ValueType::Invalid:
            widen_into(tag.value, mText);
            pRb->resval.rstring = mText.data();
            break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus InFiler::pushBackItem() {
    if (mLastItem == SIZE_MAX) return Acad::eInvalidInput;
    mPos = mLastItem;
    mLastItem = SIZE_MAX;
    return Acad::eOk;
}

bool InFiler::atSubclassData(const ACHAR* subClassName) {
    if (subClassName == nullptr) return false;
    if (!atEndOfObject() && mTags[mPos].code == 100) {
        widen_into(mTags[mPos].value, mMarker);
        if (mMarker != subClassName) return false;
        ++mPos;
        mLastItem = SIZE_MAX;
        return true;
    }
    if (!mContext.markers_optional) return false;
    rewind();
    mUnmarked = true;
    return true;
}

void InFiler::note(size_t index, std::string what) {
    if (mContext.repairs == nullptr || !mContext.noted.insert(mFirstIndex + index).second) return;
    mContext.repairs->push_back({std::move(what), mTags[index].line, mHandle, mTags[index].code});
}

bool InFiler::readRaw(Tag& tag) {
    if (mPos >= mEnd) return false;
    mLastItem = mPos;
    tag = mTags[mPos++];
    return true;
}

}  // namespace korv_host::dxf
