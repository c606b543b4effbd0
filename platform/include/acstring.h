// acstring.h: AcString, the host's owning wide string, as far as this layer needs it.
#pragma once

#include <string>

#include "AdAChar.h"

class AcString {
public:
    AcString() = default;
    AcString(const ACHAR* text) : mText(text ? text : L"") {}
    AcString(const std::wstring& text) : mText(text) {}

    const ACHAR* kwszPtr() const { return mText.c_str(); }
    const ACHAR* constPtr() const { return mText.c_str(); }
    operator const ACHAR*() const { return mText.c_str(); }
    bool isEmpty() const { return mText.empty(); }
    int length() const { return static_cast<int>(mText.size()); }
    AcString& operator=(const ACHAR* text) {
        mText = text ? text : L"";
        return *this;
    }
    bool operator==(const AcString& other) const { return mText == other.mText; }
    const std::wstring& text() const { return mText; }

private:
    std::wstring mText;
};
