#include "player/stream/lists/station_list_walker.h"

namespace zarvio::stream {

bool StationListWalker::EnterList(std::string_view requestedUrl, std::string_view finalUrl,
                                  std::vector<StationEntry> entries) {
    if (entries.empty() || Depth() >= kMaxListNesting) return false;
    for (const Level& level : lists_) {
        for (std::string_view seen : {std::string_view(level.requestedUrl), std::string_view(level.finalUrl)}) {
            if (seen == requestedUrl || seen == finalUrl) return false;
        }
    }
    lists_.push_back(Level{std::string(requestedUrl), std::string(finalUrl), std::move(entries), 0});
    failuresInRow_ = 0;
    return true;
}

const std::string& StationListWalker::CurrentAddress() const {
    static const std::string kNone;
    if (lists_.empty()) return kNone;
    const Level& level = lists_.back();
    return level.entries[level.current].url;
}

ListStep StationListWalker::OnFailure(bool final) {
    if (lists_.empty()) return ListStep::StartOverAfterBackoff;
    // The first failure of a connection is not a reconnect; the ones after it are.
    ++failuresInRow_;
    if (!final && failuresInRow_ <= kReconnectsBeforeNextEntry) return ListStep::ReconnectSame;
    failuresInRow_ = 0;
    while (true) {
        Level& level = lists_.back();
        if (++level.current < level.entries.size()) return ListStep::TryNext;
        if (lists_.size() == 1) {
            level.current = 0;
            return ListStep::StartOverAfterBackoff;
        }
        lists_.pop_back();  // the nested list as a whole failed for good: its parent moves on
    }
}

}  // namespace zarvio::stream
