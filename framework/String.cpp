#include "framework/String.h"

#include <cstring>

CString::CString(const char* text)
{
    if (text != nullptr && *text != '\0')
        m_data = std::make_shared<std::string>(text);
}

CString::CString(const char* text, int length)
{
    if (text != nullptr && length > 0)
        m_data = std::make_shared<std::string>(text, static_cast<size_t>(length));
}

void CString::MakeUnique()
{
    if (!m_data)
        m_data = std::make_shared<std::string>();
    else if (m_data.use_count() > 1)
        m_data = std::make_shared<std::string>(*m_data);
}

char* CString::GetBuffer(int minLength)
{
    MakeUnique();
    if (m_data->size() < static_cast<size_t>(minLength))
        m_data->resize(static_cast<size_t>(minLength));
    return &(*m_data)[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (!m_data)
        return;
    size_t length = newLength < 0 ? std::strlen(m_data->c_str()) : static_cast<size_t>(newLength);
    m_data->resize(length);
}

bool operator==(const CString& left, const CString& right)
{
    return std::strcmp(left, right) == 0;
}

bool operator==(const CString& left, const char* right)
{
    return std::strcmp(left, right != nullptr ? right : "") == 0;
}

bool operator==(const char* left, const CString& right)
{
    return right == left;
}
