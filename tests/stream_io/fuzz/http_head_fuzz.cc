// What a hostile server can put before the body, and where its redirects can point.
// fuzz-sources: player/stream/transport/http_head.cpp player/stream/base/url_resolve.cpp
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "player/stream/base/url_resolve.h"
#include "player/stream/transport/http_head.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zarvio::stream;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t end = EndOfHead(input).value_or(input.size());
    if (end > input.size()) __builtin_trap();
    if (const auto head = ParseHttpHead(input.substr(0, end))) {
        if (head->status < 100 || head->status > 999) __builtin_trap();
        for (const auto& [name, value] : head->headers) {
            for (char c : name)
                if (c >= 'A' && c <= 'Z') __builtin_trap();
            (void)ParseDecimal(value);
            (void)MediaTypeOf(value);
        }
        if (const auto location = head->Find("location")) {
            const std::string next = ResolveUrl("http://radio.example:8000/a/b?c", *location);
            (void)ParsePlainHttpAddress(next);
        }
    }
    (void)ParsePlainHttpAddress(input);
    (void)ResolveUrl(input, "x/y");
    return 0;
}
