#pragma once

// The registry library: one open key, its values, its subkeys, and the
// exceptions every failure is thrown as.

#include "registry/CountedRegKey.h"
#include "registry/Win32Exception.h"

#include <string>
#include <vector>

#include <windows.h>

namespace Tessaly {

// One open registry key. Copies, and iterators over it, share a single
// handle through a counted holder; the last one to go closes it. Every
// failure is thrown as CRegistryKey::Exception, never returned.
class CRegistryKey {
public:
    class Exception : public CWin32Exception {
    public:
        Exception(const char* location, DWORD errorCode)
            : CWin32Exception(location, errorCode) {}
    };

    // A self-contained copy of one value: name, registry type and bytes.
    class Value {
    public:
        // Thrown when a value is read as text but is not a string type.
        class Exception : public CRegistryKey::Exception {
        public:
            Exception() : CRegistryKey::Exception("CRegistryKey::Value::Exception",
                                                  ERROR_INVALID_PARAMETER) {}
        };

        const char* GetName() const { return m_name.c_str(); }
        DWORD GetType() const { return m_type; }
        const BYTE* GetData() const { return m_data.data(); }
        DWORD GetSize() const { return m_size; }

        // The stored text of a REG_SZ or REG_EXPAND_SZ value (not expanded),
        // valid while this Value lives. Always zero-terminated within the
        // copy, even when the stored bytes carry no terminator.
        operator const char*() const;

    private:
        friend class CRegistryKey;
        Value(const char* name, DWORD type, std::vector<BYTE> data, DWORD size);

        std::string m_name;
        DWORD m_type;
        std::vector<BYTE> m_data;  // m_size bytes, then one zero of our own
        DWORD m_size;
    };

    // Walks the direct subkeys of a key in the registry's order. Holds a
    // count on the key's holder until it reaches the end, where it equals
    // EndSubkeyIteration().
    class SubkeyIterator {
    public:
        SubkeyIterator(const SubkeyIterator& other);
        SubkeyIterator& operator=(const SubkeyIterator& other);
        virtual ~SubkeyIterator();

        SubkeyIterator& operator++();
        bool operator==(const SubkeyIterator& other) const;
        bool operator!=(const SubkeyIterator& other) const { return !(*this == other); }

        // Not to be called at the end.
        const char* GetName() const;
        CRegistryKey OpenKey(REGSAM access) const;
        // True when GetName() names this subkey exactly: the process code page
        // holds every character of its stored name. A narrow name that is not
        // exact (characters replaced by ? or a look-alike) may open another
        // subkey or none. Asks the registry for the stored name again.
        bool IsNameExact() const;

        // Fetches the name at the current position; false when there is none.
        bool GetSubkeyInfo();

    private:
        friend class CRegistryKey;
        explicit SubkeyIterator(CCountedRegKey* key);

        void Advance();
        void GrowNameBuffer(DWORD size);

        CCountedRegKey* m_pKey;
        DWORD m_position;
        std::vector<char> m_name;
    };

    // The registry's limit on the length of a key name, in characters.
    static constexpr DWORD kLongestKeyName = 255;

    // Opens `subKey` of `parent`; with a machine name, of that machine's
    // predefined key `parent`.
    CRegistryKey(HKEY parent, const char* subKey, REGSAM access, const char* machineName);
    // Takes ownership of an open handle.
    explicit CRegistryKey(HKEY openHandle);
    CRegistryKey(const CRegistryKey& other);
    CRegistryKey& operator=(const CRegistryKey& other);
    ~CRegistryKey();

    HKEY GetHandle() const { return m_pKey->GetHandle(); }

    // Makes the holder of a freshly opened handle. When no holder can be
    // made, the handle is closed first if closeOnFailure is set.
    static CCountedRegKey* NewCCountedRegKey(HKEY handle, bool closeOnFailure);

    CRegistryKey OpenKey(const char* subKey, REGSAM access) const;
    CRegistryKey CreateOrOpenKey(const char* subKey, DWORD* disposition, const char* keyClass,
                                 DWORD options, REGSAM access, SECURITY_ATTRIBUTES* security);
    // Like CreateOrOpenKey, but refuses a subkey that exists already.
    CRegistryKey CreateKey(const char* subKey, const char* keyClass, DWORD options,
                           REGSAM access, SECURITY_ATTRIBUTES* security);

    // One call for most values: a larger one is read again at its size.
    Value QueryValue(const char* name) const;
    void SetValue(const char* name, const char* text, DWORD type);
    // True when the value `name` is a string that holds exactly `text`, as
    // the registry stores it in Unicode: false when the text read from it
    // was altered by the process code page, or the value changed since.
    bool IsValueExact(const char* name, const char* text) const;
    // Reads a string value (REG_SZ or REG_EXPAND_SZ, unexpanded) as the
    // registry stores it, in Unicode, into `text` in the process code page.
    // False, with `text` unchanged, when that is not exactly the value: not
    // a string, half a character too long, cut short by a NUL within, or
    // not held by the code page. One call for most values.
    bool QueryExactText(const char* name, std::string& text) const;
    // Deletes every value but those named in `kept`. Works on the names as
    // stored, so a name the process code page cannot hold goes as well.
    void DeleteValuesExcept(const std::vector<std::string>& kept);

    // Whether the key holds a value of that name, of any type.
    bool HasValue(const char* name) const;

    // How many direct subkeys and values the key holds, and when a subkey
    // or value of its own was last made, changed or deleted.
    struct Counts {
        DWORD subkeys;
        DWORD values;
        FILETIME lastWrite;
    };
    Counts GetCounts() const;

    SubkeyIterator BeginSubkeyIteration() const;
    static SubkeyIterator EndSubkeyIteration();

    // Refuses a subkey that has subkeys of its own.
    void DeleteKey(const char* subKey);
    void DeleteKeyAndSubkeys(const char* subKey);
    // Deletes every subkey of this key, with everything below them, by the
    // names as stored (so whatever their characters).
    void DeleteSubkeys();

private:
    CCountedRegKey* m_pKey;
};

} // namespace Tessaly
