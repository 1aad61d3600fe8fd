#include "platform/contract.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace zarvio {

void ContractBroken(const char* what) {
    std::fprintf(stderr, "zarvio: %s\n", what);
    std::fflush(stderr);
    OutputDebugStringA("zarvio: ");
    OutputDebugStringA(what);
    OutputDebugStringA("\n");
    std::abort();
}

}  // namespace zarvio
