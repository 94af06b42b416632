#pragma once

#include <memory>
#include <string>

// A narrow, zero-terminated string whose copies share one buffer until one
// of them is written (copy on write). Comparisons are exact, byte by byte.
class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: converts implicitly, as callers expect
    CString(const char* text, int length);

    int GetLength() const { return m_data ? static_cast<int>(m_data->size()) : 0; }
    bool IsEmpty() const { return GetLength() == 0; }

    operator const char*() const { return m_data ? m_data->c_str() : ""; }

    // Room for at least `minLength` characters plus a zero, owned by this
    // string alone; ReleaseBuffer takes the length (up to the first zero when
    // not given).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    void MakeUnique();

    std::shared_ptr<std::string> m_data;  // null for the empty string
};

bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const char* right);
bool operator==(const char* left, const CString& right);
inline bool operator!=(const CString& left, const CString& right) { return !(left == right); }
inline bool operator!=(const CString& left, const char* right) { return !(left == right); }
inline bool operator!=(const char* left, const CString& right) { return !(left == right); }
