#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace quillvarden::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path) {
    // Its own run path ($ORIGIN) finds the libraries it depends on beside it.
    void* handle = path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle)) : nullptr;
}

DynamicLibrary::~DynamicLibrary() { ::dlclose(handle_); }

void* DynamicLibrary::symbol(const char* name) const { return ::dlsym(handle_, name); }

std::string sharedLibraryFileName(const std::string& base) { return "lib" + base + ".so"; }

}  // namespace quillvarden::platform
