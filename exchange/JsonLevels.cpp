#include "exchange/JsonLevels.h"

namespace {

// Deeper than any browser's settings or policies.
const size_t kMaxDepth = 64;

} // namespace

bool CJsonLevels::Under(std::initializer_list<const char*> keys) const
{
    if (Depth() != keys.size() + 1 || m_objects + 1 < Depth())
        return false;
    size_t level = 1;
    for (const char* key : keys) {
        if (m_levels[level++] != key)
            return false;
    }
    return true;
}

bool CJsonLevels::Enter(bool object)
{
    if (m_levels.size() == kMaxDepth)
        return false;
    m_levels.push_back(m_objects == m_levels.size() ? m_key : String());
    m_objects += object && m_objects + 1 == m_levels.size() ? 1 : 0;
    return true;
}

bool CJsonLevels::Leave(bool object)
{
    m_objects -= object && m_objects == m_levels.size() ? 1 : 0;
    m_levels.pop_back();
    return true;
}
