// Playing a station list: its entries are tried in order, a dead one gives way to the next,
// and after the last the first is tried again. Entries may themselves be lists (a .pls naming
// an .m3u), up to a few levels. The engine opens what CurrentAddress() names and reports how
// it went; the walker never waits.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "player/stream/lists/station_playlist.h"

namespace zarvio::stream {

inline constexpr int kMaxListNesting = 3;
inline constexpr int kReconnectsBeforeNextEntry = 3;

enum class ListStep {
    ReconnectSame,          // open CurrentAddress() again after the usual reconnect backoff
    TryNext,                // open CurrentAddress(), now another entry, at once
    StartOverAfterBackoff,  // every entry failed for good: wait the backoff, then open the first
};

class StationListWalker {
public:
    // A list was fetched: the first one, or what the current entry turned out to be. Its
    // entries come first from now on. False (a final failure) when the list leads back to a
    // list already being walked, by its requested or its final address, when it would nest
    // deeper than kMaxListNesting levels, or when it has no entries.
    bool EnterList(std::string_view requestedUrl, std::string_view finalUrl, std::vector<StationEntry> entries);

    // The address to open: the current entry of the innermost list. Empty before EnterList.
    const std::string& CurrentAddress() const;

    // Opening or playing CurrentAddress() failed. final: the failure cannot go away by trying
    // again (IsFinal), which makes the entry fail for good at once; otherwise it does on the
    // kReconnectsBeforeNextEntry-th failed reconnect in a row. An entry that fails for good
    // gives way to the next; a nested list whose entries all failed fails for good itself in
    // its parent; when the outermost list's entries all failed, its first comes again.
    ListStep OnFailure(bool final);

    // CurrentAddress() plays: its failures in a row start from nothing.
    void OnPlaying() { failuresInRow_ = 0; }

    int Depth() const { return static_cast<int>(lists_.size()); }

private:
    struct Level {
        std::string requestedUrl;
        std::string finalUrl;
        std::vector<StationEntry> entries;
        size_t current = 0;
    };
    std::vector<Level> lists_;
    int failuresInRow_ = 0;
};

}  // namespace zarvio::stream
