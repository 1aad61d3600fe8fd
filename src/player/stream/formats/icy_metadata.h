// Shoutcast/Icecast in-band metadata: the server puts a block of text into the audio every
// icy-metaint bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarvio::stream {

// Takes the metadata blocks out of the received bytes. Each block is one length byte (times 16)
// followed by that many bytes, after every `interval` audio bytes. Blocks and audio runs may be
// split across any number of Feed calls.
class IcySplitter {
public:
    // interval 0: the stream carries no metadata and every byte is audio.
    explicit IcySplitter(size_t interval);

    // Appends the audio bytes of data to audio, and every metadata block completed by data to
    // blocks, in stream order. A block's text is given without its NUL padding. Zero-length
    // blocks (the server's "nothing new") and blocks of nothing but padding are not reported.
    void Feed(std::span<const uint8_t> data, std::string& audio, std::vector<std::string>& blocks);

    // Audio bytes passed on since construction.
    uint64_t AudioBytes() const;

private:
    enum class Section { Audio, Length, Block };

    size_t interval_;
    Section section_ = Section::Audio;
    size_t left_;          // bytes still to come of the current audio run or block
    std::string block_;    // the block being received
    uint64_t audioBytes_ = 0;
};

// The raw bytes of the title in a metadata block: the text after "StreamTitle='" up to the
// first "';" or, without one, to the end of the block less a closing quote (so "Guns N' Roses"
// survives). The key counts where a field starts. Nullopt when the block names no StreamTitle.
std::optional<std::string> StreamTitleOf(std::string_view block);

}  // namespace zarvio::stream
