#include "player/stream/formats/icy_metadata.h"

#include <algorithm>

namespace zarvio::stream {

IcySplitter::IcySplitter(size_t interval) : interval_(interval), left_(interval) {}

void IcySplitter::Feed(std::span<const uint8_t> data, std::string& audio, std::vector<std::string>& blocks) {
    const char* bytes = reinterpret_cast<const char*>(data.data());
    if (interval_ == 0) {
        audio.append(bytes, data.size());
        audioBytes_ += data.size();
        return;
    }
    size_t i = 0;
    while (i < data.size()) {
        switch (section_) {
            case Section::Audio: {
                const size_t take = std::min(left_, data.size() - i);
                audio.append(bytes + i, take);
                audioBytes_ += take;
                i += take;
                left_ -= take;
                if (left_ == 0) section_ = Section::Length;
                break;
            }
            case Section::Length:
                left_ = size_t{data[i++]} * 16;
                if (left_ == 0) {
                    section_ = Section::Audio;  // nothing new since the last block
                    left_ = interval_;
                } else {
                    section_ = Section::Block;
                    block_.clear();
                }
                break;
            case Section::Block: {
                const size_t take = std::min(left_, data.size() - i);
                block_.append(bytes + i, take);
                i += take;
                left_ -= take;
                if (left_ == 0) {
                    // Servers pad the text with NULs up to the next multiple of 16.
                    const size_t end = block_.find_last_not_of('\0');
                    block_.resize(end == std::string::npos ? 0 : end + 1);
                    if (!block_.empty()) blocks.push_back(std::move(block_));
                    block_.clear();
                    section_ = Section::Audio;
                    left_ = interval_;
                }
                break;
            }
        }
    }
}

uint64_t IcySplitter::AudioBytes() const { return audioBytes_; }

std::optional<std::string> StreamTitleOf(std::string_view block) {
    constexpr std::string_view kKey = "StreamTitle='";
    // The key counts only where a field starts, so a field such as "MyStreamTitle='...'" or a
    // value that happens to hold the words is not taken for it.
    size_t at = block.find(kKey);
    while (at != std::string_view::npos) {
        const char before = at == 0 ? ';' : block[at - 1];
        if (before == ';' || before == ' ' || before == '\t' || before == '\r' || before == '\n') break;
        at = block.find(kKey, at + 1);
    }
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = block.substr(at + kKey.size());
    // A title may hold apostrophes ("Guns N' Roses"); only "';" ends the field. A block cut
    // short or ended by a bare quote keeps everything to its end but that last quote.
    const size_t end = rest.find("';");
    if (end != std::string_view::npos) return std::string(rest.substr(0, end));
    std::string_view title = rest;
    if (!title.empty() && title.back() == '\'') title.remove_suffix(1);
    return std::string(title);
}

}  // namespace zarvio::stream
