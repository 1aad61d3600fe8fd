// Figure 2: the main window's station list filled from 32,767 stations on disk, against the
// floor of reading the same two files and adding the finished strings to the same list boxes.
#include "list_load.h"

#include "app/main_list.h"
#include "bench_support.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"
#include "stations/station_store.h"
#include "support/list_host.h"

namespace zarvio::bench {
namespace {

constexpr int kStations = 32767;

// Names and addresses of the lengths the shipped files have: Chinese names of 4 to 12
// characters, addresses of 40 to 60 bytes.
void WriteStationFiles(const std::wstring& dir) {
    static const wchar_t* kWords[] = {L"中国之声", L"音乐", L"新闻", L"广播电台", L"频道", L"经典", L"交通", L"文艺"};
    std::string names, urls;
    for (int i = 0; i < kStations; ++i) {
        std::wstring name = kWords[i % 8];
        name += kWords[(i / 8) % 8];
        name += L" " + std::to_wstring(i);
        names += ToAnsi(name) + "\r\n";
        urls += "http://127.0.0.1:8000/live/station" + std::to_string(i) + "/stream.mp3\r\n";
    }
    WriteFileAtomically(NamesFilePath(dir), names);
    WriteFileAtomically(UrlsFilePath(dir), urls);
}

// The least any loader must do once the bytes are read: put the finished strings into the list
// with redraw off.
void FillPrepared(HWND list, const std::vector<std::wstring>& items) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    size_t bytes = 0;
    for (const auto& s : items) bytes += (s.size() + 1) * sizeof(wchar_t);
    SendMessageW(list, LB_INITSTORAGE, items.size(), bytes);
    for (const auto& s : items) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

void RunListLoadFigure(int repetitions) {
    TempDir folder;
    if (!folder.ok()) {
        Report("2 LoadMainList", "ERROR no scratch folder");
        return;
    }
    WriteStationFiles(folder.path());
    // Two list boxes of the toolkit's class, sized and placed as the main window's.
    test::ListHost host({30, 690, 3855, 2160}, {1560, 3960, 4575, 2220}, FontDescription{L"黑体", 105});
    if (!host.Create({L"bench", 5385, 3375})) {
        Report("2 LoadMainList", "ERROR no host window");
        return;
    }
    ShowWindow(host.hwnd(), SW_SHOWNOACTIVATE);

    // The finished strings of the floor, made outside the timing.
    std::vector<std::wstring> shownNames = ReadStationFile(NamesFilePath(folder.path()));
    for (size_t i = 0; i < shownNames.size(); ++i) shownNames[i] = FormatListEntry(i, shownNames[i]);
    const std::vector<std::wstring> urls = ReadStationFile(UrlsFilePath(folder.path()));

    auto load = [&] { LoadMainList(host.list1, host.list2, folder.path()); };
    auto floor = [&] {
        const auto a = ReadFileBytes(NamesFilePath(folder.path()));
        const auto b = ReadFileBytes(UrlsFilePath(folder.path()));
        FillPrepared(host.list1, shownNames);
        FillPrepared(host.list2, urls);
    };

    load();
    floor();
    PumpMessages();
    std::vector<double> loadMs, floorMs;
    for (int i = 0; i < repetitions; ++i) {
        for (int half = 0; half < 2; ++half) {
            const bool loadFirst = (i % 2 == 0);
            const bool runLoad = (half == 0) == loadFirst;
            Stopwatch watch;
            if (runLoad) load(); else floor();
            (runLoad ? loadMs : floorMs).push_back(watch.Milliseconds());
            PumpMessages();  // the list paints between runs, outside the timing
        }
    }
    load();
    const bool same = ListCount(host.list1) == kStations && ListCount(host.list2) == kStations &&
                      ListText(host.list1, kStations - 1) == shownNames.back() &&
                      ListText(host.list2, kStations - 1) == urls.back();
    const double l = Median(loadMs), f = Median(floorMs);
    const double ratio = f > 0 ? l / f : 0;
    Report("2 LoadMainList",
           Format("%d stations %.1f ms | floor (read both files, add finished strings, redraw off) %.1f ms | "
                  "ratio %.2fx, target <= 1.3x: %s | median of %d%s",
                  kStations, l, f, ratio, Verdict(ratio > 0 && ratio <= 1.3), repetitions,
                  same ? "" : " | ERROR the lists do not hold the expected entries"));
}

}  // namespace zarvio::bench
