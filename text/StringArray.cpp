#include "text/StringArray.h"

void CStringArray::SetSize(int newSize, int growBy)
{
    m_items.resize(static_cast<size_t>(newSize));
    m_growBy = growBy;
}

int CStringArray::Add(const CString& item)
{
    if (m_growBy > 0 && m_items.size() == m_items.capacity())
        m_items.reserve(m_items.size() + static_cast<size_t>(m_growBy));
    m_items.push_back(item);
    return GetSize() - 1;
}
