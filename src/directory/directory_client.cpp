#include "directory/directory_client.h"

#include "platform/text.h"

namespace zarvio::directory {
namespace {

std::wstring ReasonOf(AnswerError error) {
    switch (error) {
    case AnswerError::None: return {};
    case AnswerError::TooLarge: return kTooLargeReason;
    case AnswerError::Malformed: break;
    }
    return kMalformedReason;
}

}  // namespace

template <typename Accept>
std::wstring DirectoryClient::Ask(const std::string& path, Accept&& accept) {
    std::wstring reason = L"未知错误";
    for (const std::string& server : servers_.Ordered()) {
        const FetchResult fetched = fetcher_.Get(FromUtf8(server + path), kMaxAnswerBytes);
        reason = fetched.ok ? accept(fetched.body) : fetched.reason;
        if (reason.empty()) {
            servers_.Answered(server);
            return reason;
        }
    }
    return reason;
}

SearchResult DirectoryClient::Search(const SearchQuery& query) {
    SearchResult result;
    result.failure = Ask(StationSearchPath(query), [&result](const std::string& body) {
        result.answer = ParseStations(body);
        return ReasonOf(result.answer.error);
    });
    return result;
}

CountriesResult DirectoryClient::Countries() {
    CountriesResult result;
    result.failure = Ask(CountriesPath(), [&result](const std::string& body) {
        result.answer = ParseCountries(body);
        return ReasonOf(result.answer.error);
    });
    return result;
}

bool DirectoryClient::Click(const std::string& stationUuid) {
    if (stationUuid.empty()) return false;
    // What the answer says about the station changes nothing here: it was heard.
    return Ask(ClickPath(stationUuid), [](const std::string&) { return std::wstring(); }).empty();
}

}  // namespace zarvio::directory
