#pragma once

#include "text/String.h"

#include <vector>

// A growable array of strings that grows its storage by a set step.
class CStringArray {
public:
    void SetSize(int newSize, int growBy);
    int GetSize() const { return static_cast<int>(m_items.size()); }
    const CString& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    const CString& operator[](int index) const { return GetAt(index); }
    int Add(const CString& item);
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
    int m_growBy = 0;  // 0: the vector's own growth
};
