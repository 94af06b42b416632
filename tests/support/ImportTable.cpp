#include "tests/support/ImportTable.h"

#include <cstring>

#include <windows.h>

namespace {

template <typename T>
T* At(BYTE* base, DWORD offset)
{
    return reinterpret_cast<T*>(base + offset);
}

void* SwapEntry(ULONG_PTR* entry, void* replacement)
{
    DWORD oldProtection = 0;
    ::VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &oldProtection);
    void* original = reinterpret_cast<void*>(*entry);
    *entry = reinterpret_cast<ULONG_PTR>(replacement);
    ::VirtualProtect(entry, sizeof *entry, oldProtection, &oldProtection);
    return original;
}

} // namespace

void* PatchImport(const char* module, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = At<IMAGE_NT_HEADERS>(base, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];

    for (auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); dll->Name; ++dll) {
        if (_stricmp(At<char>(base, dll->Name), module) != 0)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(base, dll->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(base, dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return SwapEntry(&slots->u1.Function, replacement);
        }
    }
    return nullptr;
}
