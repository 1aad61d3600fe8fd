#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text.h"
#include "player/stream/formats/icy_metadata.h"

using namespace zarvio::stream;
using zarvio::IsValidUtf8;

namespace {

// A received ICY stream put together piece by piece, with what the splitter should make of it.
struct IcyRecording {
    size_t interval = 0;
    std::string wire;
    std::string audio;
    std::vector<std::string> blocks;
    std::vector<size_t> blockEnds;  // where each reported block's last byte is on the wire, + 1

    void AddAudio() {
        for (size_t i = 0; i < interval; ++i) {
            const char c = static_cast<char>((audio.size() * 7 + 3) % 251);
            audio += c;
            wire += c;
        }
    }
    // length16 is the length byte; text is padded with NULs to length16 * 16 bytes.
    void AddBlock(unsigned char length16, const std::string& text, bool reported = true) {
        if (text.size() > size_t{length16} * 16) throw std::logic_error("block text longer than its length");
        wire += static_cast<char>(length16);
        std::string padded = text;
        padded.resize(size_t{length16} * 16, '\0');
        wire += padded;
        if (reported) {
            blocks.push_back(text);
            blockEnds.push_back(wire.size());
        }
    }
};

std::span<const uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

IcyRecording MakeRecording() {
    IcyRecording r;
    r.interval = 40;
    r.AddAudio();
    r.AddBlock(1, "StreamTitle='A';");  // exactly 16 bytes: no padding at all
    r.AddAudio();
    r.AddBlock(0, "", false);  // nothing new
    r.AddAudio();
    std::string longest = "StreamTitle='";
    while (longest.size() < 255 * 16 - 2) longest += static_cast<char>('a' + longest.size() % 26);
    longest += "';";
    r.AddBlock(255, longest);
    r.AddAudio();
    r.AddBlock(4, "StreamUrl='http://x/';StreamTitle='Guns N' Roses';");
    r.AddAudio();
    r.AddBlock(2, "", false);  // padding only
    r.AddAudio();
    r.AddBlock(2, std::string("StreamTitle='\0x';", 17));  // a NUL inside the text stays
    r.AddAudio();
    return r;
}

}  // namespace

TEST(IcySplitter, RecordedStreamGivesTheSameAudioAndBlocksAtEverySplit) {
    const IcyRecording r = MakeRecording();
    ASSERT_EQ(r.blocks.size(), 4u);
    {
        IcySplitter splitter(r.interval);
        std::string audio;
        std::vector<std::string> blocks;
        splitter.Feed(Bytes(r.wire), audio, blocks);
        EXPECT_EQ(audio, r.audio);
        EXPECT_EQ(blocks, r.blocks);
        EXPECT_EQ(splitter.AudioBytes(), r.audio.size());
    }
    // Cut in two at every place: after the first piece the audio so far is all audio before the
    // cut and exactly the blocks completed before it are out.
    for (size_t cut = 0; cut <= r.wire.size(); ++cut) {
        IcySplitter splitter(r.interval);
        std::string audio;
        std::vector<std::string> blocks;
        splitter.Feed(Bytes(std::string_view(r.wire).substr(0, cut)), audio, blocks);
        size_t completed = 0;
        while (completed < r.blockEnds.size() && r.blockEnds[completed] <= cut) ++completed;
        ASSERT_EQ(blocks.size(), completed) << "cut at " << cut;
        ASSERT_EQ(audio, r.audio.substr(0, audio.size())) << "cut at " << cut;
        ASSERT_EQ(splitter.AudioBytes(), audio.size());
        splitter.Feed(Bytes(std::string_view(r.wire).substr(cut)), audio, blocks);
        ASSERT_EQ(audio, r.audio) << "cut at " << cut;
        ASSERT_EQ(blocks, r.blocks) << "cut at " << cut;
    }
    // One byte at a time, with empty reads in between.
    IcySplitter splitter(r.interval);
    std::string audio;
    std::vector<std::string> blocks;
    for (char c : r.wire) {
        splitter.Feed({}, audio, blocks);
        splitter.Feed(Bytes(std::string_view(&c, 1)), audio, blocks);
    }
    EXPECT_EQ(audio, r.audio);
    EXPECT_EQ(blocks, r.blocks);
    EXPECT_EQ(splitter.AudioBytes(), r.audio.size());
}

TEST(IcySplitter, WithoutAnIntervalEveryByteIsAudio) {
    const std::string wire("\x01StreamTitle='x';\0\0", 19);
    IcySplitter splitter(0);
    std::string audio;
    std::vector<std::string> blocks;
    splitter.Feed(Bytes(wire), audio, blocks);
    splitter.Feed(Bytes(wire), audio, blocks);
    EXPECT_EQ(audio, wire + wire);
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(splitter.AudioBytes(), 38u);
}

TEST(StreamTitle, TakesTheFieldUpToItsClosingQuoteAndSemicolon) {
    EXPECT_EQ(StreamTitleOf("StreamTitle='Artist - Song';"), "Artist - Song");
    EXPECT_EQ(StreamTitleOf("StreamTitle='Guns N' Roses - Patience';StreamUrl='';"), "Guns N' Roses - Patience");
    EXPECT_EQ(StreamTitleOf("StreamUrl='http://a/?b=c';StreamTitle='Second';"), "Second");
    EXPECT_EQ(StreamTitleOf("StreamTitle='';"), "");
    // No "';": everything to the block's end, less a closing quote.
    EXPECT_EQ(StreamTitleOf("StreamTitle='Cut short"), "Cut short");
    EXPECT_EQ(StreamTitleOf("StreamTitle='Rock 'n' Roll'"), "Rock 'n' Roll");
    EXPECT_EQ(StreamTitleOf("StreamTitle='"), "");
    // The bytes are passed on as they are: GBK stays GBK.
    EXPECT_EQ(StreamTitleOf("StreamTitle='\xD6\xD0\xCE\xC4';"), "\xD6\xD0\xCE\xC4");
}

TEST(StreamTitle, NoneWithoutTheKeyAtAFieldStart) {
    EXPECT_EQ(StreamTitleOf(""), std::nullopt);
    EXPECT_EQ(StreamTitleOf("StreamUrl='http://a/';"), std::nullopt);
    EXPECT_EQ(StreamTitleOf("StreamTitle=Unquoted;"), std::nullopt);
    EXPECT_EQ(StreamTitleOf("MyStreamTitle='no';"), std::nullopt);
    EXPECT_EQ(StreamTitleOf("MyStreamTitle='no';StreamTitle='yes';"), "yes");
}

TEST(Utf8, AcceptsWellFormedText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII - 123"));
    EXPECT_TRUE(IsValidUtf8("\xE4\xB8\xAD\xE6\x96\x87"));      // 中文
    EXPECT_TRUE(IsValidUtf8("\xC2\x80 \xDF\xBF"));              // U+0080, U+07FF
    EXPECT_TRUE(IsValidUtf8("\xE0\xA0\x80 \xED\x9F\xBF \xEE\x80\x80 \xEF\xBF\xBF"));  // around the surrogates
    EXPECT_TRUE(IsValidUtf8("\xF0\x90\x80\x80 \xF0\x9F\x8E\xB5 \xF4\x8F\xBF\xBF"));   // U+10000, 🎵, U+10FFFF
    EXPECT_TRUE(IsValidUtf8(std::string_view("a\0b", 3)));
}

TEST(Utf8, RejectsMalformedText) {
    EXPECT_FALSE(IsValidUtf8("\xD6\xD0\xCE\xC4"));     // 中文 in GBK
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));             // overlong NUL
    EXPECT_FALSE(IsValidUtf8("\xC1\xBF"));             // overlong
    EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));         // overlong three bytes
    EXPECT_FALSE(IsValidUtf8("\xF0\x8F\xBF\xBF"));     // overlong four bytes
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));         // U+D800
    EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));         // U+DFFF
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));     // U+110000
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("\xFF"));
    EXPECT_FALSE(IsValidUtf8("\x80"));                 // continuation without a lead
    EXPECT_FALSE(IsValidUtf8("ok \xE4\xB8"));          // cut at the end
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8 ok"));          // cut in the middle
    EXPECT_FALSE(IsValidUtf8("\xF0\x9F\x8E"));
    EXPECT_FALSE(IsValidUtf8("\xC3\xC3\xA9"));         // a lead where a continuation belongs
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8\xAD\xAD"));     // one continuation too many
}
