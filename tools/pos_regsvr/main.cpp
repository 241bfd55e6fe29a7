// Registers or unregisters a component library through its own exports, like regsvr32.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com.h"
#include "platform/dynamic_library.h"

int main(int argc, char** argv) {
    bool unregister = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/u") == 0 || std::strcmp(argv[i], "-u") == 0) {
            unregister = true;
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr) {
        std::fprintf(stderr, "usage: pos-regsvr [-u] LIBRARY\n");
        return 2;
    }
    std::string error;
    auto library = pos::platform::DynamicLibrary::open(path, &error);
    if (!library.loaded()) {
        std::fprintf(stderr, "pos-regsvr: cannot load %s: %s\n", path, error.c_str());
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    using Entry = HRESULT (*)();
    auto call = reinterpret_cast<Entry>(library.symbol(entry));
    if (call == nullptr) {
        std::fprintf(stderr, "pos-regsvr: %s has no %s\n", path, entry);
        return 1;
    }
    const HRESULT hr = call();
    if (FAILED(hr)) {
        std::fprintf(stderr, "pos-regsvr: %s failed with 0x%08X\n", entry,
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("%s succeeded for %s\n", entry, path);
    return 0;
}
