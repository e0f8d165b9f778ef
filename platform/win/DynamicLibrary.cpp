#include "platform/win/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace {
std::string TakeDlError(const std::string& fallback) {
    const char* text = dlerror();
    return text ? std::string(text) : fallback;
}
} // namespace

CDynamicLibrary::~CDynamicLibrary() { Unload(); }

CDynamicLibrary::CDynamicLibrary(CDynamicLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_lastError(std::move(other.m_lastError)) {}

CDynamicLibrary& CDynamicLibrary::operator=(CDynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_lastError = std::move(other.m_lastError);
    }
    return *this;
}

bool CDynamicLibrary::Load(const std::string& path) {
    Unload();
    m_lastError.clear();
    if (path.empty()) {
        m_lastError = "empty library path";
        return false;
    }
    dlerror();
    // Local binding keeps the entry names of one library from standing in for another's.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_lastError = TakeDlError("cannot load " + path);
        return false;
    }
    return true;
}

bool CDynamicLibrary::LoadWithEntries(const std::string& path, std::initializer_list<const char*> names) {
    if (!Load(path)) return false;
    for (const char* name : names) {
        if (!Symbol(name)) {
            const std::string reason = m_lastError;
            Unload();
            m_lastError = "missing entry point \"" + std::string(name ? name : "") + "\" in " + path + ": " + reason;
            return false;
        }
    }
    return true;
}

void* CDynamicLibrary::Symbol(const char* name) {
    if (!m_handle) {
        m_lastError = "no library loaded";
        return nullptr;
    }
    if (!name || !*name) {
        m_lastError = "empty entry name";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(m_handle, name);
    if (!address) {
        m_lastError = TakeDlError(std::string("entry ") + name + " is null");
        return nullptr;
    }
    return address;
}

void CDynamicLibrary::Unload() {
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}
