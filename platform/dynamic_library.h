// A shared library loaded at run time, for optional components the program can do
// without.
#pragma once

#include <memory>
#include <string>

namespace quillvarden::platform {

class DynamicLibrary {
public:
    // Null when the library (or one it needs) cannot be loaded. Libraries it depends
    // on are looked for beside it first.
    static std::unique_ptr<DynamicLibrary> open(const std::string& path);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The exported symbol's address, or null.
    void* symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file name a library called base has on this system: libbase.so, base.dll.
std::string sharedLibraryFileName(const std::string& base);

}  // namespace quillvarden::platform
