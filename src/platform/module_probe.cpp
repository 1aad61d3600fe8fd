#include "platform/module_probe.h"

namespace zarvio {

bool ProcExists(const char* procName, const wchar_t* libraryName) {
    HMODULE module = GetModuleHandleW(libraryName);
    bool loadedHere = false;
    if (!module) {
        module = LoadLibraryW(libraryName);
        loadedHere = module != nullptr;
    }
    if (!module) return false;
    const bool found = GetProcAddress(module, procName) != nullptr;
    if (loadedHere) (void)FreeLibrary(module);
    return found;
}

}  // namespace zarvio
