// Figure 6: from Play to the first sample handed to the sound device, on a local ICY MP3 stream
// whose server sends its first 2 s at once (as Icecast does); target under 300 ms.
// Figure 7: CPU per minute of playback against its floor in the same run: the system's decoder
// on the same bytes plus the sink playing the same PCM from memory; target within 1.5x.
// Figure 8: memory while playing, above the idle process; target at most 8 MiB.
// Figure 11: CPU while the station is down after a short burst, as a share of one core.
// Figures 9 and 10: the same as 6 and 7 on a local live HLS window of 2 s AAC segments in
// MPEG-TS (first sample target under 1 s; the floor decodes the same tone as ADTS AAC).
#include "stream_playback.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <atomic>
#include <memory>

#include "bench_support.h"
#include "platform/files.h"
#include "player/stream/formats/audio_framer.h"
#include "player/stream/output/audio_sink.h"
#include "player/stream/output/waveout_sink.h"
#include "player/stream/decode/decoder_factory.h"
#include "player/stream/session/stream_player.h"

namespace zarvio::bench {
namespace {

// The real waveOut sink, noting when the first block was handed over.
class TimedSink final : public stream::AudioSink {
public:
    explicit TimedSink(std::shared_ptr<std::atomic<double>> firstWrite, std::shared_ptr<Stopwatch> clock)
        : first_(std::move(firstWrite)), clock_(std::move(clock)), real_(stream::CreateWaveOutSink()) {}
    bool Open(const stream::PcmFormat& f) override { return real_->Open(f); }
    void Close() override { real_->Close(); }
    bool IsOpen() const override { return real_->IsOpen(); }
    int FreeBlocks() override { return real_->FreeBlocks(); }
    bool Write(const int16_t* s, size_t frames) override {
        if (first_->load() < 0) first_->store(clock_->Milliseconds());
        return real_->Write(s, frames);
    }
    uint64_t PlayedFrames() override { return real_->PlayedFrames(); }
    void Reset() override { real_->Reset(); }
    void WaitForBlock(uint32_t ms) override { real_->WaitForBlock(ms); }

private:
    std::shared_ptr<std::atomic<double>> first_;
    std::shared_ptr<Stopwatch> clock_;
    std::unique_ptr<stream::AudioSink> real_;
};

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](const FILETIME& t) { return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7; };
    return s(kernel) + s(user);
}

// The process's committed memory (Wine leaves PrivateUsage at 0; PagefileUsage counts the same).
double CommittedMiB() {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof(m);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m));
    const SIZE_T bytes = m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Runs messages for ms the way the program's message loop waits for them: asleep in between.
void Pump(double ms) {
    Stopwatch w;
    for (double left = ms; left > 0; left = ms - w.Milliseconds()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

// Decodes the file and plays the PCM from memory for `seconds`, as the floor of playback.
double FloorCpu(const std::string& file, double seconds) {
    const double cpu0 = CpuSeconds();
    stream::AudioFramer framer;
    framer.Push(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
    std::vector<int16_t> pcm;
    stream::PcmFormat format;
    std::unique_ptr<stream::AudioDecoder> decoder;
    while (auto frame = framer.Next()) {
        if (!decoder) decoder = stream::CreateAudioDecoder(*frame);
        if (!decoder) return 0;
        decoder->Decode(*frame, pcm, format);
        if (pcm.size() >= static_cast<size_t>(seconds * format.sampleRate * format.channels)) break;
    }
    auto sink = stream::CreateWaveOutSink();
    if (!format.valid() || !sink->Open(format)) return 0;
    const size_t block = static_cast<size_t>(format.sampleRate) * stream::kSinkBlockMs / 1000;
    const size_t frames = pcm.size() / static_cast<size_t>(format.channels);
    size_t at = 0;
    while (at < frames || sink->PlayedFrames() < frames) {
        while (at < frames && sink->FreeBlocks() > 0) {
            const size_t n = std::min(block, frames - at);
            sink->Write(pcm.data() + at * static_cast<size_t>(format.channels), n);
            at += n;
        }
        sink->WaitForBlock(20);
    }
    sink->Close();
    return CpuSeconds() - cpu0;
}


// The median time from Play to the first block handed to the device, over `starts` players.
std::vector<double> FirstSampleTimes(const std::wstring& url, int starts) {
    std::vector<double> firsts;
    for (int i = 0; i < starts; ++i) {
        auto clock = std::make_shared<Stopwatch>();
        auto first = std::make_shared<std::atomic<double>>(-1.0);
        stream::StreamParts parts;
        parts.sink = [first, clock] { return std::make_unique<TimedSink>(first, clock); };
        stream::StreamPlayer player(url, parts);
        clock->Restart();
        player.Play();
        Stopwatch wait;
        while (first->load() < 0 && wait.Milliseconds() < 5000) Pump(2);
        if (first->load() >= 0) firsts.push_back(first->load());
        player.Stop();
        Pump(100);
    }
    return firsts;
}

void ReportFirstSample(const char* figure, const std::vector<double>& firsts, double targetMs) {
    const double median = Median(firsts);
    const bool any = !firsts.empty();
    Report(figure, Format("%.0f ms median of %d starts (min %.0f, max %.0f) | target < %.0f ms: %s", median,
                          static_cast<int>(firsts.size()), any ? *std::min_element(firsts.begin(), firsts.end()) : 0.0,
                          any ? *std::max_element(firsts.begin(), firsts.end()) : 0.0, targetMs,
                          Verdict(any && median < targetMs)));
}

// CPU seconds of `seconds` of steady playback, and the committed memory then and just before.
struct Playback {
    double cpu = 0, idleMiB = 0, playingMiB = 0;
};
Playback MeasurePlayback(const std::wstring& url, double seconds) {
    Playback p;
    Pump(300);
    p.idleMiB = CommittedMiB();
    stream::StreamPlayer player(url);
    player.Play();
    Pump(2000);  // connected, buffered and playing: the steady state is what is measured
    const double cpu0 = CpuSeconds();
    Pump(seconds * 1000);
    p.cpu = CpuSeconds() - cpu0;
    p.playingMiB = CommittedMiB();
    player.Stop();
    Pump(200);
    return p;
}

// CPU of the process over `seconds` while its station is down: a quarter of a second of audio
// came (too little to start), then every reconnect is answered 503. As a share of one core.
double DownStationCpuShare(const std::wstring& url, double seconds) {
    stream::StreamPlayer player(url);
    player.Play();
    Pump(1000);  // the burst came and the first 503s were answered
    const double cpu0 = CpuSeconds();
    Stopwatch w;
    Pump(seconds * 1000);
    const double share = (CpuSeconds() - cpu0) / (w.Milliseconds() / 1000);
    player.Stop();
    Pump(200);
    return share;
}

void ReportCpu(const char* figure, double cpu, double floor, double seconds, const char* floorText) {
    const double perMinute = cpu / seconds * 60, floorPerMinute = floor / seconds * 60;
    Report(figure, Format("%.2f s | floor (%s) %.2f s | ratio %.2fx, target <= 1.5x: %s", perMinute, floorText,
                          floorPerMinute, floor > 0 ? perMinute / floorPerMinute : 0.0,
                          Verdict(floor > 0 && perMinute <= 1.5 * floorPerMinute)));
}

}  // namespace

void RunStreamFigures(const std::wstring& serverBase, const std::wstring& mediaDir, bool quick) {
    const std::wstring icy = serverBase + L"/stream?file=tone_44100_stereo.mp3&metaint=8192&titles=Bench";
    const std::wstring hls = serverBase + L"/hls/bench/ts/index.m3u8";
    const int starts = quick ? 3 : 9;
    const double seconds = quick ? 6 : 20;

    ReportFirstSample("6 play to first sample", FirstSampleTimes(icy, starts), 300);
    const Playback icyPlay = MeasurePlayback(icy, seconds);
    const std::string mp3 = ReadFileBytes(mediaDir + L"\\tone_44100_stereo.mp3").value_or(std::string());
    ReportCpu("7 CPU per minute playing", icyPlay.cpu, FloorCpu(mp3, seconds), seconds,
              "decode the same MP3 + play its PCM from memory");
    Report("8 memory while playing",
           Format("%.2f MiB committed above the idle process (%.1f idle, %.1f playing) | target <= 8 MiB: %s",
                  icyPlay.playingMiB - icyPlay.idleMiB, icyPlay.idleMiB, icyPlay.playingMiB,
                  Verdict(icyPlay.playingMiB - icyPlay.idleMiB <= 8.0)));

    ReportFirstSample("9 HLS play to first sample", FirstSampleTimes(hls, starts), 1000);
    const Playback hlsPlay = MeasurePlayback(hls, seconds);
    const std::string aac = ReadFileBytes(mediaDir + L"\\tone_44100_stereo.aac").value_or(std::string());
    ReportCpu("10 CPU per minute of HLS", hlsPlay.cpu, FloorCpu(aac, seconds), seconds,
              "decode the same tone as AAC + play its PCM from memory");

    // 0.25 s of 128 kbit/s MP3 (4000 bytes), then the station is down.
    const std::wstring down = serverBase + L"/stream?file=tone_44100_stereo.mp3&metaint=0&burst=0.25&speed=0"
                                           L"&drop=4000&down_after=1&bench=" + std::to_wstring(GetTickCount64());
    const double share = DownStationCpuShare(down, 10);
    Report("11 CPU, station down", Format("%.2f%% of one core over 10 s waiting to reconnect after a 0.25 s burst"
                                          " | target < 1%%: %s", share * 100, Verdict(share < 0.01)));
}

}  // namespace zarvio::bench
