#include "exchange/ConfinedVfs.h"

#include "exchange/TextEncoding.h"
#include "registry/IgnoringCase.h"

#include <cstdint>

namespace {

// What SQLite holds for a file opened here: ours, and the system's
// file right after it.
struct ConfinedFile {
    sqlite3_file base;
    CConfinedVfs* vfs;
};

sqlite3_file* Real(sqlite3_file* file)
{
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<ConfinedFile*>(file) + 1);
}

CConfinedVfs& Owner(sqlite3_vfs* vfs)
{
    return *static_cast<CConfinedVfs*>(vfs->pAppData);
}

// A write or truncation that ends past the file's end grows it.
int BookGrowth(sqlite3_file* file, sqlite3_int64 end)
{
    sqlite3_int64 size = 0;
    int result = Real(file)->pMethods->xFileSize(Real(file), &size);
    if (result != SQLITE_OK)
        return result;
    return end <= size || reinterpret_cast<ConfinedFile*>(file)->vfs->Grow(end - size) ? SQLITE_OK
                                                                                        : SQLITE_FULL;
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    int result = BookGrowth(file, offset + amount);
    return result != SQLITE_OK ? result : Real(file)->pMethods->xWrite(Real(file), data, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size)
{
    int result = BookGrowth(file, size);
    return result != SQLITE_OK ? result : Real(file)->pMethods->xTruncate(Real(file), size);
}

int FileControl(sqlite3_file* file, int operation, void* argument)
{
    // A size hint may grow the file ahead of the write that is booked.
    if (operation == SQLITE_FCNTL_SIZE_HINT)
        return SQLITE_OK;
    return Real(file)->pMethods->xFileControl(Real(file), operation, argument);
}

// The rest goes to the system's file unchanged.
template <class Method, class... Args>
auto Forward(Method method, sqlite3_file* file, Args... args)
{
    return (Real(file)->pMethods->*method)(Real(file), args...);
}
using Io = sqlite3_io_methods;

const sqlite3_io_methods kMethods = {
    3,
    [](sqlite3_file* f) { return Forward(&Io::xClose, f); },
    [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
        return Forward(&Io::xRead, f, buffer, amount, offset);
    },
    Write,
    Truncate,
    [](sqlite3_file* f, int flags) { return Forward(&Io::xSync, f, flags); },
    [](sqlite3_file* f, sqlite3_int64* size) { return Forward(&Io::xFileSize, f, size); },
    [](sqlite3_file* f, int lock) { return Forward(&Io::xLock, f, lock); },
    [](sqlite3_file* f, int lock) { return Forward(&Io::xUnlock, f, lock); },
    [](sqlite3_file* f, int* reserved) { return Forward(&Io::xCheckReservedLock, f, reserved); },
    FileControl,
    [](sqlite3_file* f) { return Forward(&Io::xSectorSize, f); },
    [](sqlite3_file* f) { return Forward(&Io::xDeviceCharacteristics, f); },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** memory) {
        return Forward(&Io::xShmMap, f, page, size, extend, memory);
    },
    [](sqlite3_file* f, int offset, int count, int flags) { return Forward(&Io::xShmLock, f, offset, count, flags); },
    [](sqlite3_file* f) { Forward(&Io::xShmBarrier, f); },
    [](sqlite3_file* f, int remove) { return Forward(&Io::xShmUnmap, f, remove); },
    [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** memory) {
        return Forward(&Io::xFetch, f, offset, amount, memory);
    },
    [](sqlite3_file* f, sqlite3_int64 offset, void* memory) { return Forward(&Io::xUnfetch, f, offset, memory); },
};

int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    CConfinedVfs& owner = Owner(vfs);
    file->pMethods = nullptr;
    // No name is a temporary file, which would go to the temporary folder.
    if (name == nullptr || !owner.Allows(name))
        return SQLITE_CANTOPEN;
    reinterpret_cast<ConfinedFile*>(file)->vfs = &owner;
    int result = owner.Inner()->xOpen(owner.Inner(), name, Real(file), flags, outFlags);
    // SQLite closes what has methods, even when the open failed.
    if (Real(file)->pMethods != nullptr)
        file->pMethods = &kMethods;
    return result;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncFolder)
{
    CConfinedVfs& owner = Owner(vfs);
    return owner.Allows(name) ? owner.Inner()->xDelete(owner.Inner(), name, syncFolder) : SQLITE_IOERR_DELETE;
}

int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result)
{
    CConfinedVfs& owner = Owner(vfs);
    *result = 0;
    return owner.Allows(name) ? owner.Inner()->xAccess(owner.Inner(), name, flags, result) : SQLITE_OK;
}

template <class Method, class... Args>
auto ForwardVfs(Method method, sqlite3_vfs* vfs, Args... args)
{
    sqlite3_vfs* inner = Owner(vfs).Inner();
    return (inner->*method)(inner, args...);
}

} // namespace

CConfinedVfs::CConfinedVfs(const std::wstring& database, sqlite3_int64 spareBytes)
    : m_inner(::sqlite3_vfs_find(nullptr)),
      m_name("quillory-confined-" + std::to_string(reinterpret_cast<std::uintptr_t>(this))),
      m_spare(spareBytes)
{
    if (m_inner == nullptr)
        return;
    // As SQLite will name the files: from the database's full path.
    std::string full(static_cast<size_t>(m_inner->mxPathname) + 1, '\0');
    if (m_inner->xFullPathname(m_inner, Utf8FromWide(database).c_str(), static_cast<int>(full.size()),
                               &full[0]) != SQLITE_OK)
        return;
    const std::wstring path = WideFromUtf8(full.c_str());
    for (const wchar_t* suffix : {L"", L"-journal", L"-wal", L"-shm"})
        m_files.push_back(path + suffix);
    m_vfs.iVersion = 2;
    m_vfs.szOsFile = static_cast<int>(sizeof(ConfinedFile)) + m_inner->szOsFile;
    m_vfs.mxPathname = m_inner->mxPathname;
    m_vfs.zName = m_name.c_str();
    m_vfs.pAppData = this;
    m_vfs.xOpen = Open;
    m_vfs.xDelete = Delete;
    m_vfs.xAccess = Access;
    m_vfs.xFullPathname = [](sqlite3_vfs* v, const char* name, int size, char* out) {
        return ForwardVfs(&sqlite3_vfs::xFullPathname, v, name, size, out);
    };
    m_vfs.xRandomness = [](sqlite3_vfs* v, int size, char* out) {
        return ForwardVfs(&sqlite3_vfs::xRandomness, v, size, out);
    };
    m_vfs.xSleep = [](sqlite3_vfs* v, int microseconds) {
        return ForwardVfs(&sqlite3_vfs::xSleep, v, microseconds);
    };
    m_vfs.xCurrentTime = [](sqlite3_vfs* v, double* now) { return ForwardVfs(&sqlite3_vfs::xCurrentTime, v, now); };
    m_vfs.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
        return ForwardVfs(&sqlite3_vfs::xGetLastError, v, size, out);
    };
    m_vfs.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* now) {
        return ForwardVfs(&sqlite3_vfs::xCurrentTimeInt64, v, now);
    };
    m_registered = ::sqlite3_vfs_register(&m_vfs, 0) == SQLITE_OK;
}

CConfinedVfs::~CConfinedVfs()
{
    if (m_registered)
        ::sqlite3_vfs_unregister(&m_vfs);
}

bool CConfinedVfs::Allows(const char* path) const
{
    if (path == nullptr)
        return false;
    const std::wstring wide = WideFromUtf8(path);
    for (const std::wstring& file : m_files) {
        if (Tessaly::EqualIgnoringCase(wide, file))
            return true;
    }
    return false;
}

bool CConfinedVfs::Grow(sqlite3_int64 bytes)
{
    if (bytes > m_spare)
        return false;
    m_spare -= bytes;
    return true;
}
