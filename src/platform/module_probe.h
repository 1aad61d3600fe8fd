// Asking whether a system library offers a procedure, without keeping the library loaded.
#pragma once
#include <windows.h>

namespace zarvio {

// True when the library is loaded or can be loaded and exports the procedure. A library the
// probe had to load is freed again; one that was loaded already is left as it was.
bool ProcExists(const char* procName, const wchar_t* libraryName);

}  // namespace zarvio
