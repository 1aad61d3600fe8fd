#include "player/stream/base/url_resolve.h"

namespace zarvio::stream {
namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." )
bool IsScheme(std::string_view s) {
    if (s.empty() || !IsAlpha(s[0])) return false;
    for (char c : s) {
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// merge (section 5.2.3): the base path up to its last '/', then the reference path.
std::string Merge(const UrlParts& base, std::string_view refPath) {
    if (base.authority && base.path.empty()) {
        std::string merged(1, '/');
        merged += refPath;
        return merged;
    }
    const size_t slash = base.path.rfind('/');
    if (slash == std::string_view::npos) return std::string(refPath);
    std::string merged(base.path.substr(0, slash + 1));
    merged += refPath;
    return merged;
}

}  // namespace

UrlParts SplitUrl(std::string_view url) {
    UrlParts parts;
    std::string_view rest = url;
    if (const size_t hash = rest.find('#'); hash != std::string_view::npos) {
        parts.fragment = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    if (const size_t q = rest.find('?'); q != std::string_view::npos) {
        parts.query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    // A colon before any '/' ends a scheme, when what precedes it is one.
    if (const size_t colon = rest.find(':'); colon != std::string_view::npos) {
        const std::string_view candidate = rest.substr(0, colon);
        if (candidate.find('/') == std::string_view::npos && IsScheme(candidate)) {
            parts.scheme = candidate;
            rest = rest.substr(colon + 1);
        }
    }
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        parts.authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    parts.path = rest;
    return parts;
}

std::string JoinUrl(const UrlParts& parts) {
    std::string out;
    if (parts.scheme) {
        out += *parts.scheme;
        out += ':';
    }
    if (parts.authority) {
        out += "//";
        out += *parts.authority;
    }
    out += parts.path;
    if (parts.query) {
        out += '?';
        out += *parts.query;
    }
    if (parts.fragment) {
        out += '#';
        out += *parts.fragment;
    }
    return out;
}

std::string RemoveDotSegments(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    // Drops the last segment of out together with the '/' before it.
    auto dropLastSegment = [&out] {
        const size_t slash = out.rfind('/');
        out.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!in.empty()) {
        if (in.starts_with("../")) {
            in.remove_prefix(3);
        } else if (in.starts_with("./")) {
            in.remove_prefix(2);
        } else if (in.starts_with("/./")) {
            in.remove_prefix(2);  // leaves "/"
        } else if (in == "/.") {
            in = "/";
        } else if (in.starts_with("/../")) {
            in.remove_prefix(3);
            dropLastSegment();
        } else if (in == "/..") {
            in = "/";
            dropLastSegment();
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            // Moves the first segment, with its leading '/' if any, to the output.
            const size_t next = in.find('/', in[0] == '/' ? 1 : 0);
            const size_t n = next == std::string_view::npos ? in.size() : next;
            out += in.substr(0, n);
            in.remove_prefix(n);
        }
    }
    return out;
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    const UrlParts r = SplitUrl(reference);
    const UrlParts b = SplitUrl(base);
    UrlParts t;
    std::string path;  // owns the target path that t.path views
    if (r.scheme) {
        t.scheme = r.scheme;
        t.authority = r.authority;
        path = RemoveDotSegments(r.path);
        t.query = r.query;
    } else {
        t.scheme = b.scheme;
        if (r.authority) {
            t.authority = r.authority;
            path = RemoveDotSegments(r.path);
            t.query = r.query;
        } else {
            t.authority = b.authority;
            if (r.path.empty()) {
                path = std::string(b.path);
                t.query = r.query ? r.query : b.query;
            } else {
                path = RemoveDotSegments(r.path[0] == '/' ? std::string(r.path) : Merge(b, r.path));
                t.query = r.query;
            }
        }
    }
    t.fragment = r.fragment;
    t.path = path;
    return JoinUrl(t);
}

}  // namespace zarvio::stream
