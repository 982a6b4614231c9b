#pragma once
#include <algorithm>
#include <cassert>
#include <vector>

// Growable array with the host's interface; indices are int as on the host.
template <class T>
class AcArray {
public:
    AcArray(int physicalLength = 0, int growLength = 8) : m_grow(growLength > 0 ? growLength : 8) {
        if (physicalLength > 0) m_items.reserve(static_cast<size_t>(physicalLength));
    }
    AcArray(std::initializer_list<T> items) : m_items(items) {}

    int length() const { return static_cast<int>(m_items.size()); }
    int logicalLength() const { return length(); }
    int physicalLength() const { return static_cast<int>(m_items.capacity()); }
    int growLength() const { return m_grow; }
    bool isEmpty() const { return m_items.empty(); }

    int append(const T& item) { m_items.push_back(item); return length() - 1; }
    AcArray& append(const AcArray& other) {
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return *this;
    }
    AcArray& insertAt(int index, const T& item) {
        assert(index >= 0 && index <= length());
        m_items.insert(m_items.begin() + index, item);
        return *this;
    }
    AcArray& removeAt(int index) {
        assert(index >= 0 && index < length());
        m_items.erase(m_items.begin() + index);
        return *this;
    }
    bool remove(const T& item, int start = 0) {
        int i = 0;
        if (!find(item, i, start)) return false;
        removeAt(i);
        return true;
    }
    AcArray& removeFirst() { return removeAt(0); }
    AcArray& removeLast() { m_items.pop_back(); return *this; }
    AcArray& removeAll() { m_items.clear(); return *this; }
    AcArray& setLogicalLength(int n) { m_items.resize(static_cast<size_t>(std::max(n, 0))); return *this; }
    AcArray& setPhysicalLength(int n) {
        if (n < length()) m_items.resize(static_cast<size_t>(std::max(n, 0)));
        m_items.reserve(static_cast<size_t>(std::max(n, 0)));
        return *this;
    }
    AcArray& setGrowLength(int n) { m_grow = n > 0 ? n : m_grow; return *this; }
    AcArray& reverse() { std::reverse(m_items.begin(), m_items.end()); return *this; }
    AcArray& setAll(const T& value) { std::fill(m_items.begin(), m_items.end(), value); return *this; }

    bool contains(const T& item, int start = 0) const { int i; return find(item, i, start); }
    bool find(const T& item, int& index, int start = 0) const {
        for (int i = std::max(start, 0); i < length(); ++i)
            if (m_items[static_cast<size_t>(i)] == item) { index = i; return true; }
        return false;
    }
    int find(const T& item) const { int i = -1; find(item, i, 0); return i; }

    T& operator[](int i) { assert(i >= 0 && i < length()); return m_items[static_cast<size_t>(i)]; }
    const T& operator[](int i) const { assert(i >= 0 && i < length()); return m_items[static_cast<size_t>(i)]; }
    T& at(int i) { return (*this)[i]; }
    const T& at(int i) const { return (*this)[i]; }
    T& first() { return (*this)[0]; }
    const T& first() const { return (*this)[0]; }
    T& last() { return (*this)[length() - 1]; }
    const T& last() const { return (*this)[length() - 1]; }
    T* asArrayPtr() { return m_items.data(); }
    const T* asArrayPtr() const { return m_items.data(); }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    bool operator==(const AcArray& other) const { return m_items == other.m_items; }

private:
    std::vector<T> m_items;
    int m_grow = 8;
};
