#pragma once

// Swaps one entry of this executable's import table, so that every call the
// program makes to that function reaches `replacement` instead. Returns the
// entry it replaced, or null when the executable does not import it.
void* PatchImport(const char* module, const char* function, void* replacement);

// Swaps one import of this executable for as long as it lives.
class ImportSwap {
public:
    ImportSwap(const char* module, const char* function, void* replacement)
        : m_module(module), m_function(function),
          m_original(PatchImport(module, function, replacement)) {}
    ~ImportSwap() { PatchImport(m_module, m_function, m_original); }
    ImportSwap(const ImportSwap&) = delete;
    ImportSwap& operator=(const ImportSwap&) = delete;

private:
    const char* m_module;
    const char* m_function;
    void* m_original;
};
