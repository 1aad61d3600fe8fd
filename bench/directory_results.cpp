// Figure 12: the station search's results list filled from an answer of 10,000 stations (read
// from the directory's JSON, made into rows), against the floor of adding the same finished
// strings to the same list with the same calls.
#include "directory_results.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>

#include "bench_support.h"
#include "directory/directory_window.h"
#include "directory/station_answers.h"
#include "platform/text.h"
#include "platform/toolkit/form.h"

namespace zarvio::bench {
namespace {

constexpr int kStations = 10000;

// An answer as the directory gives it: every documented field, names in several scripts.
std::string MakeAnswer() {
    static const char* kNames[] = {"中国之声", "Radio Swiss Jazz", "BBC World Service", "Klassik Radio", "音乐之声",
                                   "Ö1 Österreich"};
    static const char* kCountries[] = {"China", "Switzerland", "The United Kingdom", "Germany", "Austria"};
    std::string out = "[";
    char entry[2048];
    for (int i = 0; i < kStations; ++i) {
        const int n = std::snprintf(
            entry, sizeof entry,
            "%s{\"changeuuid\":\"c%07d-89ab-cdef-0123-456789abcdef\",\"stationuuid\":\"s%07d-89ab-cdef-0123-456789abcdef\","
            "\"serveruuid\":null,\"name\":\"%s %d\",\"url\":\"http://stream%d.example.com/live.pls\","
            "\"url_resolved\":\"http://stream%d.example.com/live/mp3_128\",\"homepage\":\"https://www.example.com/%d\","
            "\"favicon\":\"https://www.example.com/%d/favicon.ico\",\"tags\":\"news,music,talk\",\"country\":\"%s\","
            "\"countrycode\":\"CN\",\"iso_3166_2\":null,\"state\":\"\",\"language\":\"chinese\",\"languagecodes\":\"zh\","
            "\"votes\":%d,\"lastchangetime\":\"2026-01-01 00:00:00\",\"lastchangetime_iso8601\":\"2026-01-01T00:00:00Z\","
            "\"codec\":\"MP3\",\"bitrate\":128,\"hls\":0,\"lastcheckok\":1,\"lastchecktime\":\"2026-01-01 00:00:00\","
            "\"lastchecktime_iso8601\":\"2026-01-01T00:00:00Z\",\"lastcheckoktime\":\"2026-01-01 00:00:00\","
            "\"lastcheckoktime_iso8601\":\"2026-01-01T00:00:00Z\",\"lastlocalchecktime\":\"2026-01-01 00:00:00\","
            "\"lastlocalchecktime_iso8601\":\"2026-01-01T00:00:00Z\",\"clicktimestamp\":\"2026-01-01 00:00:00\","
            "\"clicktimestamp_iso8601\":\"2026-01-01T00:00:00Z\",\"clickcount\":%d,\"clicktrend\":3,\"ssl_error\":0,"
            "\"geo_lat\":39.9,\"geo_long\":116.4,\"has_extended_info\":false}",
            i ? "," : "", i, i, kNames[i % 6], i, i, i, i, i, kCountries[i % 5], i % 977, kStations - i);
        out.append(entry, static_cast<size_t>(n));
    }
    out += "]";
    return out;
}

class ResultsHost : public Form {
public:
    HWND list = nullptr;
    ~ResultsHost() override { Destroy(); }

private:
    void BuildControls() override { list = directory::CreateResultsList(hwnd(), 1, {120, 600, 9120, 4080}); }
};

// The least any way of showing the rows must do: the finished texts into the list with redraw
// off, with the calls the window makes.
void FillPrepared(HWND list, const std::vector<std::array<std::wstring, 5>>& rows) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(rows[i][0].c_str());
        const auto row = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 5; ++c) {
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = const_cast<wchar_t*>(rows[i][static_cast<size_t>(c)].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::wstring Cell(HWND list, int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

}  // namespace

void RunDirectoryResultsFigure(int repetitions) {
    const std::string answer = MakeAnswer();
    ResultsHost host;
    if (!host.Create({L"bench", 9360, 6075}) || !host.list) {
        Report("12 Station search list", "ERROR no host window");
        return;
    }
    ShowWindow(host.hwnd(), SW_SHOWNOACTIVATE);

    // The floor's finished strings, made outside the timing from what the window would show.
    std::vector<std::array<std::wstring, 5>> rows;
    for (const auto& s : directory::ParseStations(answer).stations)
        rows.push_back({FromUtf8(s.name), FromUtf8(s.country), FromUtf8(s.codec), std::to_wstring(s.bitrate) + L" kbps",
                        std::to_wstring(s.clickCount)});

    const std::vector<directory::DirectoryStation> parsed = directory::ParseStations(answer).stations;
    auto show = [&] { directory::AppendResultRows(host.list, directory::ParseStations(answer).stations); };
    auto rowsOnly = [&] { directory::AppendResultRows(host.list, parsed); };  // the UI thread's part
    auto floor = [&] { FillPrepared(host.list, rows); };
    auto empty = [&] {
        SendMessageW(host.list, LVM_DELETEALLITEMS, 0, 0);
        PumpMessages();
    };

    std::vector<double> times[3];
    const std::function<void()> runs[3] = {show, rowsOnly, floor};
    for (int i = -1; i < repetitions; ++i) {  // the first round warms up, untimed
        for (int k = 0; k < 3; ++k) {
            const int which = (k + (i < 0 ? 0 : i)) % 3;  // each goes first in turn
            empty();
            Stopwatch watch;
            runs[which]();
            const double ms = watch.Milliseconds();
            if (i >= 0) times[which].push_back(ms);
            PumpMessages();  // the list paints between runs, outside the timing
        }
    }
    empty();
    show();
    const int count = static_cast<int>(SendMessageW(host.list, LVM_GETITEMCOUNT, 0, 0));
    const bool same = rows.size() == kStations && count == kStations && Cell(host.list, kStations - 1, 0) == rows.back()[0] &&
                      Cell(host.list, kStations - 1, 4) == rows.back()[4];
    // Where the time goes: the reading of the answer alone.
    const double readUs = MedianMicroseconds(repetitions, 1, [&] { (void)directory::ParseStations(answer); });
    const double s = Median(times[0]), r = Median(times[1]), f = Median(times[2]);
    const double ratio = f > 0 ? s / f : 0;
    Report("12 Station search list",
           Format("%d stations, %.1f MB of JSON, read and shown %.1f ms | floor (add the finished strings, redraw off) "
                  "%.1f ms | ratio %.2fx, target <= 1.5x: %s | of it: reading the JSON (on the worker) %.1f ms, the rows "
                  "(on the UI thread) %.1f ms = %.2fx the floor | median of %d%s",
                  kStations, answer.size() / 1048576.0, s, f, ratio, Verdict(ratio > 0 && ratio <= 1.5), readUs / 1000.0, r,
                  f > 0 ? r / f : 0, repetitions,
                  same ? "" : " | ERROR the list does not hold the expected rows"));
}

}  // namespace zarvio::bench
