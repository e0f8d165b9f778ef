// A run-time loaded shared library, released when the object goes. Used for the encoder and the
// audio converter libraries, which are loaded from the program folder for each use.
#pragma once

#include <initializer_list>
#include <string>

class CDynamicLibrary {
public:
    CDynamicLibrary() = default;
    ~CDynamicLibrary();
    CDynamicLibrary(CDynamicLibrary&& other) noexcept;
    CDynamicLibrary& operator=(CDynamicLibrary&& other) noexcept;
    CDynamicLibrary(const CDynamicLibrary&) = delete;
    CDynamicLibrary& operator=(const CDynamicLibrary&) = delete;

    // Loads the library at path (releasing one held before); false with LastError() set.
    bool Load(const std::string& path);

    // Loads the library and checks that every named entry point exists. A missing one is a load
    // failure: the library is released and LastError() names the entry.
    bool LoadWithEntries(const std::string& path, std::initializer_list<const char*> names);

    // The address of an exported symbol, or nullptr (LastError() set) when absent or unloaded.
    void* Symbol(const char* name);

    // Symbol() cast to a function pointer type, e.g. Entry<int (*)(int)>("f").
    template <class F> F Entry(const char* name) { return reinterpret_cast<F>(Symbol(name)); }

    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    const std::string& LastError() const { return m_lastError; }

private:
    void* m_handle = nullptr;
    std::string m_lastError;
};
