// How the directory's answers are fetched: one small interface, so that the rest of the
// directory knows nothing of the transport and tests can count or refuse requests.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace zarvio::directory {

struct FetchResult {
    bool ok = false;
    std::string body;    // with ok
    std::wstring reason;  // without: the few words the now-playing line uses for the same failure
};

class DirectoryFetcher {
public:
    virtual ~DirectoryFetcher() = default;
    // Blocks until the whole answer is read (a worker thread only). A status other than 2xx, a
    // body over limit bytes and a cancel are failures.
    virtual FetchResult Get(const std::wstring& url, size_t limit) = 0;
    // From another thread, returning at once: the pending and later Gets fail soon.
    virtual void Cancel() = 0;
};

// The reason given for an answer over the limit.
inline constexpr wchar_t kTooLargeReason[] = L"回答过大";

// Over the stream player's transport: WinHTTP with the user's proxy, the system's TLS checks,
// redirects, timeouts and the program's User-Agent.
std::unique_ptr<DirectoryFetcher> CreateDirectoryFetcher();

}  // namespace zarvio::directory
