#include "bench_support.h"

#include <cstdarg>

namespace zarvio::bench {

std::string Format(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

}  // namespace zarvio::bench
