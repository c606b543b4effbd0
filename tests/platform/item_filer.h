// item_filer.h: a DXF filer for tests that keeps what an object writes as a list of tagged
// items and hands the same items back to an object that reads, so an object's filing is
// checked as "written, then read back" without a drawing file. Points come back as one item
// with three coordinates (10/20/30 and the like), as the host's reader delivers them.
#pragma once

#include <dbfiler.h>

#include <sstream>
#include <string>
#include <vector>

class ItemFiler : public AcDbDxfFiler {
public:
    struct Item {
        resbuf value{};
        std::wstring text;  // the string of a text item (value.resval.rstring points here)
    };

    Acad::ErrorStatus filerStatus() const override { return mStatus; }
    AcDb::FilerType filerType() const override { return AcDb::kFileFiler; }
    void setFilerStatus(Acad::ErrorStatus status) override { mStatus = status; }
    void resetFilerStatus() override { mStatus = Acad::eOk; }
    AcDbDatabase* database() const override { return nullptr; }

    Acad::ErrorStatus writeResBuf(const resbuf& rb) override {
        const bool text = is_text(rb.restype) && rb.resval.rstring != nullptr;
        mItems.push_back({rb, text ? rb.resval.rstring : L""});
        return mStatus;
    }
    Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int = kDfltPrec) override {
        resbuf rb{};
        rb.restype = static_cast<short>(code);
        rb.resval.rreal = val;
        return writeResBuf(rb);
    }

    Acad::ErrorStatus readResBuf(resbuf* pRb) override {
        if (mStatus != Acad::eOk) return mStatus;
        if (atEOF()) return Acad::eEndOfFile;
        mLast = mPos;
        const Item& item = mItems[mPos++];
        *pRb = item.value;
        if (is_text(item.value.restype))
            pRb->resval.rstring = const_cast<ACHAR*>(item.text.c_str());
        if (is_point(item.value.restype)) {
            pRb->resval.rpoint[0] = item.value.resval.rreal;
            pRb->resval.rpoint[1] = pRb->resval.rpoint[2] = 0.0;
            for (int axis = 1; axis <= 2; ++axis) {
                if (mPos < mItems.size() &&
                    mItems[mPos].value.restype == item.value.restype + 10 * axis) {
                    pRb->resval.rpoint[axis] = mItems[mPos++].value.resval.rreal;
                }
            }
        }
        return Acad::eOk;
    }
    Acad::ErrorStatus pushBackItem() override {
        mPos = mLast;
        return Acad::eOk;
    }
    bool atSubclassData(const ACHAR* name) override {
        if (atEOF() || mItems[mPos].value.restype != AcDb::kDxfSubclass ||
            mItems[mPos].text != name) {
            return false;
        }
        ++mPos;
        return true;
    }
    bool atEOF() override { return mPos >= mItems.size(); }
    bool atEndOfObject() override { return atEOF(); }
    bool atExtendedData() override { return false; }

    // Reading starts again from the first item.
    void rewind() {
        mPos = 0;
        mStatus = Acad::eOk;
    }
    // The items from the first subclass marker of that name up to the next one, as
    // "code=value" lines: what one class wrote.
    std::string section(const std::wstring& subclass) const {
        std::ostringstream out;
        bool inside = false;
        for (const Item& item : mItems) {
            if (item.value.restype == AcDb::kDxfSubclass) {
                if (inside) break;
                inside = item.text == subclass;
                continue;
            }
            if (!inside) continue;
            out << item.value.restype << "=";
            if (is_text(item.value.restype)) {
                out << std::string(item.text.begin(), item.text.end());
            } else if (is_real(item.value.restype)) {
                out << item.value.resval.rreal;
            } else if (is_reference(item.value.restype)) {
                out << "id";
            } else if (item.value.restype >= 90 && item.value.restype <= 99) {
                out << item.value.resval.rlong;
            } else {
                out << item.value.resval.rint;
            }
            out << "\n";
        }
        return out.str();
    }
    std::vector<Item>& items() { return mItems; }

private:
    static bool is_text(int code) {
        return (code >= 0 && code <= 9) || code == 100 || code == 102 ||
               (code >= 300 && code <= 309);
    }
    static bool is_real(int code) {
        return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) ||
               (code >= 210 && code <= 239);
    }
    static bool is_point(int code) { return (code >= 10 && code <= 18) || code == 210; }
    static bool is_reference(int code) { return code >= 330 && code <= 369; }

    std::vector<Item> mItems;
    size_t mPos = 0;
    size_t mLast = 0;
    Acad::ErrorStatus mStatus = Acad::eOk;
};
