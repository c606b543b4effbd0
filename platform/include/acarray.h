// acarray.h: AcArray<T>, the host's growable array (used for id lists). A thin wrapper over
// std::vector with the SDK's member names; at() and [] check their index in this layer.
#pragma once

#include <cassert>
#include <cstddef>
#include <vector>

template <class T>
class AcArray {
public:
    AcArray() = default;
    explicit AcArray(int physicalLength) {
        mItems.reserve(physicalLength > 0 ? physicalLength : 0);
    }

    int length() const { return static_cast<int>(mItems.size()); }
    int logicalLength() const { return length(); }
    int physicalLength() const { return static_cast<int>(mItems.capacity()); }
    bool isEmpty() const { return mItems.empty(); }
    const T& at(int index) const { return checked(index); }
    T& at(int index) { return const_cast<T&>(static_cast<const AcArray&>(*this).checked(index)); }
    const T& operator[](int index) const { return checked(index); }
    T& operator[](int index) { return at(index); }
    int append(const T& value) {
        mItems.push_back(value);
        return length() - 1;
    }
    AcArray& removeAll() {
        mItems.clear();
        return *this;
    }
    AcArray& setLogicalLength(int n) {
        mItems.resize(n > 0 ? n : 0);
        return *this;
    }
    bool contains(const T& value) const {
        for (const auto& item : mItems) {
            if (item == value) return true;
        }
        return false;
    }
    T* asArrayPtr() { return mItems.data(); }
    const T* asArrayPtr() const { return mItems.data(); }
    typename std::vector<T>::const_iterator begin() const { return mItems.begin(); }
    typename std::vector<T>::const_iterator end() const { return mItems.end(); }

private:
    const T& checked(int index) const {
        assert(index >= 0 && index < length() && "AcArray index out of range");
        return mItems[static_cast<size_t>(index)];
    }
    std::vector<T> mItems;
};
