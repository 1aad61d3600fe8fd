// ID3v2.3 and ID3v2.4 tags as HLS streams carry them: the title and artist of what plays, and
// the MPEG-TS timestamp that packed audio segments start at.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zarvio::stream {

// What a tag tells the player. Texts are UTF-8, whatever encoding the tag used.
struct Id3Tag {
    std::optional<std::string> title;   // TIT2
    std::optional<std::string> artist;  // TPE1
    // The PRIV frame "com.apple.streaming.transportStreamTimestamp": the 33-bit 90 kHz MPEG-TS
    // timestamp of the first audio that follows the tag.
    std::optional<uint64_t> timestamp90k;
};

// The whole size of the ID3v2 tag that data starts with (header, body and footer), which may be
// more than data holds; 0 when data does not start with an ID3v2 header (at least 10 bytes).
// The one rule every reader of the stream uses to step over a tag: "ID3", version 2 to 4, a
// revision below FF, no flag of the low nibble (no version defines one), a 28-bit size of four
// syncsafe bytes, and a 10-byte footer when a version 4 tag says it has one. The stricter the
// header, the less often audio that happens to hold "ID3" makes the player skip a stretch of it.
size_t Id3TagSize(std::span<const uint8_t> data);

// Reads the tag at the start of data. Nullopt when there is no whole ID3v2.3 or v2.4 tag there.
// Frames that are damaged, compressed, encrypted or run past the tag are skipped; the frames
// before them still count.
std::optional<Id3Tag> ParseId3Tag(std::span<const uint8_t> data);

// The line the player shows: "artist - title" when the tag names an artist, else the title;
// nullopt when the tag has no title that is not empty.
std::optional<std::string> DisplayTitleOf(const Id3Tag& tag);

}  // namespace zarvio::stream
