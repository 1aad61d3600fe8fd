// libFuzzer target for address resolution, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/base/url_resolve.cpp
//
// The input is "base\nreference". For any input: splitting and joining gives the input back;
// a path with its dot segments removed has no "." or ".." segment left; a reference with its
// own scheme does not depend on the base; and a result with scheme and host, whose path is
// clean, resolves to itself from any other base.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "player/stream/base/url_resolve.h"

namespace {

using namespace zarvio::stream;

bool HasDotSegment(std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view base = input.substr(0, newline);
    const std::string_view reference =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    for (std::string_view s : {base, reference}) {
        if (JoinUrl(SplitUrl(s)) != s) std::abort();
        if (HasDotSegment(RemoveDotSegments(SplitUrl(s).path))) std::abort();
    }

    const std::string target = ResolveUrl(base, reference);
    if (target.size() > base.size() + reference.size() + 3) std::abort();  // never grows beyond both
    const UrlParts ref = SplitUrl(reference);
    if (ref.scheme && ResolveUrl("http://other.example/x/y?z", reference) != target) std::abort();
    if (ref.fragment != SplitUrl(target).fragment) std::abort();

    const UrlParts t = SplitUrl(target);
    if (t.scheme && t.authority && RemoveDotSegments(t.path) == t.path) {
        if (ResolveUrl("ftp://elsewhere/a/b", target) != target) std::abort();
    }
    return 0;
}
