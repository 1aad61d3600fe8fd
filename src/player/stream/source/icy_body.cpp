#include "player/stream/source/icy_body.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zarvio::stream {
namespace {

constexpr size_t kReadSize = 16 * 1024;

}  // namespace

IcyBody::IcyBody(HttpBody& inner, size_t metaInt, std::vector<uint8_t> first, TitleSink onTitle)
    : inner_(inner), splitter_(metaInt), onTitle_(std::move(onTitle)), raw_(std::move(first)),
      rawBytes_(raw_.size()) {}

void IcyBody::DeliverTitles() {
    for (const std::string& block : blocks_) {
        if (auto title = StreamTitleOf(block)) onTitle_(*title);
    }
    blocks_.clear();
}

std::optional<size_t> IcyBody::Read(uint8_t* buffer, size_t capacity, Failure& failure) {
    if (capacity == 0) return 0;
    while (audioPos_ == audio_.size()) {
        // The audio before the blocks of the last slice has been read: their titles count now.
        DeliverTitles();
        audio_.clear();
        audioPos_ = 0;
        if (rawPos_ == raw_.size()) {
            raw_.resize(kReadSize);
            const std::optional<size_t> n = inner_.Read(raw_.data(), raw_.size(), failure);
            if (!n || *n == 0) {
                raw_.clear();
                rawPos_ = 0;
                return n;
            }
            raw_.resize(*n);
            rawPos_ = 0;
            rawBytes_ += *n;
        }
        const size_t len = std::min(kIcySlice, raw_.size() - rawPos_);
        splitter_.Feed(std::span<const uint8_t>(raw_.data() + rawPos_, len), audio_, blocks_);
        rawPos_ += len;
    }
    const size_t n = std::min(capacity, audio_.size() - audioPos_);
    std::memcpy(buffer, audio_.data() + audioPos_, n);
    audioPos_ += n;
    return n;
}

}  // namespace zarvio::stream
