// The directory's three requests, each tried on one server after the other until one gives an
// answer the program can read: a server that refuses, times out, answers with an error status
// or with something that is not the documented JSON counts as failed, and the next is asked.
// Runs on a worker thread; blocks.
#pragma once
#include <string>

#include "directory/directory_fetch.h"
#include "directory/directory_requests.h"
#include "directory/directory_servers.h"
#include "directory/station_answers.h"

namespace zarvio::directory {

// Reasons of our own, beside the transport's: an answer that is not the documented JSON.
inline constexpr wchar_t kMalformedReason[] = L"目录回答无效";

struct SearchResult {
    StationsAnswer answer;  // its error is None unless every server failed
    std::wstring failure;   // empty on success; else the reason the last server failed
};
struct CountriesResult {
    CountriesAnswer answer;
    std::wstring failure;
};

class DirectoryClient {
public:
    DirectoryClient(DirectoryServers& servers, DirectoryFetcher& fetcher) : servers_(servers), fetcher_(fetcher) {}

    SearchResult Search(const SearchQuery& query);
    CountriesResult Countries();
    // True when a server took the click.
    bool Click(const std::string& stationUuid);

private:
    // Asks each server for path until accept(body) returns an empty reason; the reason of the
    // last failure, empty on success.
    template <typename Accept>
    std::wstring Ask(const std::string& path, Accept&& accept);

    DirectoryServers& servers_;
    DirectoryFetcher& fetcher_;
};

}  // namespace zarvio::directory
