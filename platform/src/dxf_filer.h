// dxf_filer.h: the host's two DXF filers: one that collects what objects write into tags,
// one that hands an object's tags back to it as result buffers.
#pragma once

#include <dbfiler.h>

#include <functional>
#include <string>

#include "dxf_tags.h"

namespace korv_host::dxf {

// Collects the items an object writes. Object ids become their handles ("0" for none).
class OutFiler : public AcDbDxfFiler {
public:
    OutFiler(AcDbDatabase* database, Tags& out) : mDatabase(database), mOut(out) {}

    Acad::ErrorStatus filerStatus() const override { return mStatus; }
    AcDb::FilerType filerType() const override { return AcDb::kFileFiler; }
    void setFilerStatus(Acad::ErrorStatus status) override { mStatus = status; }
    void resetFilerStatus() override { mStatus = Acad::eOk; }
    AcDbDatabase* database() const override { return mDatabase; }

    Acad::ErrorStatus readResBuf(resbuf*) override { return Acad::eNoInputFiler; }
    Acad::ErrorStatus pushBackItem() override { return Acad::eNoInputFiler; }
    bool atSubclassData(const ACHAR*) override { return false; }
    bool atEOF() override { return false; }
    bool atEndOfObject() override { return false; }
    bool atExtendedData() override { return false; }

    Acad::ErrorStatus writeResBuf(const resbuf& rb) override;
    Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int prec = kDfltPrec) override;
    // A tag exactly as given (the host's own structure, kept data of unknown objects).
    void writeRaw(int code, std::string value) { mOut.push_back({code, std::move(value)}); }

private:
    Acad::ErrorStatus put(int code, std::string value);
    AcDbDatabase* mDatabase;
    Tags& mOut;
    Acad::ErrorStatus mStatus = Acad::eOk;
};

// Turns a handle met in the file into the id of the object made for it: eOk with the id
// (null for "0" and for objects of the file the host does not keep), or eDwgNeedsRecovery
// for a handle that names nothing in the file.
using HandleResolver = std::function<Acad::ErrorStatus(uint64_t handle, AcDbObjectId& id)>;

// Reads the tags [begin, end) of one object. The object's own data ends at `end` or at
// its first extended-data tag (1001), unless raw reading walks on past it.
class InFiler : public AcDbDxfFiler {
public:
    InFiler(AcDbDatabase* database, const Tags& tags, size_t begin, size_t end,
            HandleResolver resolver)
        : mDatabase(database),
          mTags(tags),
          mPos(begin),
          mEnd(end),
          mResolver(std::move(resolver)) {}

    Acad::ErrorStatus filerStatus() const override { return mStatus; }
    AcDb::FilerType filerType() const override { return AcDb::kFileFiler; }
    void setFilerStatus(Acad::ErrorStatus status) override { mStatus = status; }
    void resetFilerStatus() override { mStatus = Acad::eOk; }
    AcDbDatabase* database() const override { return mDatabase; }

    Acad::ErrorStatus readResBuf(resbuf* pRb) override;
    Acad::ErrorStatus pushBackItem() override;
    bool atSubclassData(const ACHAR* subClassName) override;
    bool atEOF() override { return mPos >= mEnd; }
    bool atEndOfObject() override;
    bool atExtendedData() override { return mPos < mEnd && mTags[mPos].code == 1001; }

    Acad::ErrorStatus writeResBuf(const resbuf&) override { return Acad::eNotApplicable; }
    Acad::ErrorStatus writeDouble(AcDb::DxfCode, double, int = kDfltPrec) override {
        return Acad::eNotApplicable;
    }

    // The next tag as it is in the file, object boundaries aside; false at the end.
    bool readRaw(Tag& tag);
    size_t position() const { return mPos; }

private:
    Acad::ErrorStatus fail(Acad::ErrorStatus status);
    AcDbDatabase* mDatabase;
    const Tags& mTags;
    size_t mPos;
    size_t mEnd;
    size_t mLastItem = SIZE_MAX;
    HandleResolver mResolver;
    std::wstring mText;  // the string of the last item read
    Acad::ErrorStatus mStatus = Acad::eOk;
};

}  // namespace korv_host::dxf
