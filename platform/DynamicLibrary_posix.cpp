#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

bool DynamicLibrary::Load(const std::string& fileName) {
    Unload();
    m_handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* reason = ::dlerror();
        m_lastError = reason != nullptr ? reason : "cannot load " + fileName;
        return false;
    }
    m_lastError.clear();
    return true;
}

void DynamicLibrary::Unload() {
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* DynamicLibrary::Symbol(const char* name) const {
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

const char* EngineLibraryName() {
    return "UnzDll.so";
}

std::vector<std::string> EngineLibraryPaths() {
    return {EngineLibraryName()};
}

void RestrictLibrarySearch() {}

} // namespace platform
