// Start-up, memory and object figures: zarvio.exe and the minimal window program are started as
// child processes from fresh folders, and the time until each shows its main window is taken.
#include "startup.h"

#include <windows.h>
#include <psapi.h>

#include <memory>
#include <optional>

#include "app/main_window.h"
#include "platform/product.h"
#include "bench_support.h"
#include "platform/handles.h"
#include "platform/media_player_wmp.h"
#include "platform/toolkit/class_names.h"
#include "platform/message_box.h"
#include "platform/system_services.h"
#include "platform/tray_icon.h"
#include "player/volume_file.h"
#include "stations/station_store.h"

namespace zarvio::bench {
namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr wchar_t kMinimalClass[] = L"ZarvioBenchMinimal";  // both small programs' window class

struct ChildRun {
    bool ok = false;
    std::string error;
    double shownMs = 0;   // CreateProcess to the main window being visible
    double idleMs = 0;    // CreateProcess to the first wait for input after that
    double workingSetMiB = 0;
    double privateMiB = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

// A visible, unowned top-level window with a caption bar: what a person sees as the program's
// window.
bool IsMainWindowOf(HWND hwnd, DWORD pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != pid || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) return false;
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// Looks for the child's shown main window among the windows of its class only. Every look costs
// the window server a few requests, and the starting program needs that server too: walking the
// whole window list every millisecond would slow the very start-up being measured.
bool MainWindowShown(const wchar_t* windowClass, DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, windowClass, nullptr); w;
         w = FindWindowExW(nullptr, w, windowClass, nullptr))
        if (IsMainWindowOf(w, pid)) return true;
    return false;
}

bool CopyInto(const std::wstring& from, const std::wstring& folder, const std::wstring& name) {
    return CopyFileW(from.c_str(), (folder + L"\\" + name).c_str(), FALSE) != 0;
}

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Copies every file of dataDir (not its subfolders) into folder; without a dataDir, the station
// and volume files that the build put next to the benchmark.
bool CopyDataFiles(const std::wstring& dataDir, const std::wstring& folder) {
    if (dataDir.empty()) {
        const std::wstring dir = ExecutableDirectory();
        bool ok = true;
        for (const wchar_t* name : {kNamesFileName, kUrlsFileName, kVolumeFileName})
            ok = CopyInto(dir + L"\\" + name, folder, name) && ok;
        return ok;
    }
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((dataDir + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ok = CopyInto(dataDir + L"\\" + found.cFileName, folder, found.cFileName) && ok;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

ChildRun RunChild(const std::wstring& exe, const wchar_t* windowClass, bool withData, const std::wstring& dataDir,
                  bool measureResources, const std::wstring& arguments = L"") {
    ChildRun run;
    TempDir folder;
    const std::wstring name = FileName(exe);
    if (!folder.ok() || !CopyInto(exe, folder.path(), name) ||
        (withData && !CopyDataFiles(dataDir, folder.path()))) {
        run.error = "could not prepare the start folder";
        return run;
    }
    const std::wstring path = folder.File(name);
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};

    Stopwatch watch;
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.path().c_str(), &si, &pi)) {
        run.error = Format("CreateProcess failed (%lu)", GetLastError());
        return run;
    }
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);

    bool shown = false;
    while (!(shown = MainWindowShown(windowClass, pi.dwProcessId))) {
        if (WaitForSingleObject(process.get(), 2) == WAIT_OBJECT_0) {
            run.error = "the program ended before it showed a window";
            return run;
        }
        if (watch.Milliseconds() > kWindowTimeoutMs) {
            run.error = "no window within 30 s";
            break;
        }
    }
    if (shown) {
        run.shownMs = watch.Milliseconds();
        WaitForInputIdle(process.get(), kWindowTimeoutMs);
        run.idleMs = watch.Milliseconds();
        run.ok = true;
        if (measureResources) {
            Sleep(300);  // let work posted during start-up settle
            PROCESS_MEMORY_COUNTERS_EX memory{};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                     sizeof memory)) {
                run.workingSetMiB = memory.WorkingSetSize / 1048576.0;
                run.privateMiB = memory.PrivateUsage / 1048576.0;
            }
            run.gdiObjects = GetGuiResources(process.get(), GR_GDIOBJECTS);
            run.userObjects = GetGuiResources(process.get(), GR_USEROBJECTS);
        }
    }
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
    return run;
}

template <typename F>
std::vector<double> Collect(const std::vector<ChildRun>& runs, F field) {
    std::vector<double> v;
    for (const auto& r : runs)
        if (r.ok) v.push_back(field(r));
    return v;
}

// The main window started inside this process with the program's own services, so that its
// GDI objects and windows can be counted (Wine does not count them for another process).
struct InProcessFigures {
    bool ok = false;
    double startMs = 0;
    double playerMs = 0;
    int gdiAdded = 0, windowsAdded = 0;
    int gdiLeftAfterClose = 0, windowsLeftAfterClose = 0;
};

InProcessFigures StartMainWindowHere(const std::wstring& dataDir) {
    InProcessFigures f;
    TempDir folder;
    if (!folder.ok() || !CopyDataFiles(dataDir, folder.path())) return f;
    const int gdiBefore = CountGdiObjects();
    const int windowsBefore = CountThreadWindows();
    {
        Win32MessageBox messageBox;
        Win32TrayIcon tray;
        Win32Clock clock;
        Stopwatch watch;
        WmpMediaPlayer player;
        f.playerMs = watch.Milliseconds();
        Services services;
        services.messageBox = &messageBox;
        services.tray = &tray;
        services.clock = &clock;
        services.player = &player;
        services.appDir = folder.path();
        // No copy check (this process would find its own earlier run), no browser, no exit:
        // ExitProgram below then only takes the tray icon away.
        MainWindow main(services, WindowOpeners{});
        if (!main.Start()) return f;
        f.startMs = watch.Milliseconds();
        PumpMessages();
        f.gdiAdded = CountGdiObjects() - gdiBefore;
        f.windowsAdded = CountThreadWindows() - windowsBefore;
        main.ExitProgram();
    }
    PumpMessages();
    f.gdiLeftAfterClose = CountGdiObjects() - gdiBefore;
    f.windowsLeftAfterClose = CountThreadWindows() - windowsBefore;
    f.ok = true;
    return f;
}

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The in-process twin of the minimal program: one empty window created and shown.
InProcessFigures StartMinimalWindowHere() {
    InProcessFigures f;
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"ZarvioBenchPlain";
        registered = RegisterClassW(&wc) != 0;
    }
    const int gdiBefore = CountGdiObjects();
    const int windowsBefore = CountThreadWindows();
    Stopwatch watch;
    HWND hwnd = CreateWindowExW(0, L"ZarvioBenchPlain", L"plain", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 370, 260, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return f;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    f.startMs = watch.Milliseconds();
    PumpMessages();
    f.gdiAdded = CountGdiObjects() - gdiBefore;
    f.windowsAdded = CountThreadWindows() - windowsBefore;
    DestroyWindow(hwnd);
    PumpMessages();
    f.gdiLeftAfterClose = CountGdiObjects() - gdiBefore;
    f.windowsLeftAfterClose = CountThreadWindows() - windowsBefore;
    f.ok = true;
    return f;
}

}  // namespace

std::vector<ReportLine> RunStartupFigures(const StartupOptions& options) {
    std::vector<ReportLine> resources;
    const std::wstring dir = ExecutableDirectory();
    const std::wstring zarvio = dir + L"\\zarvio.exe";
    const std::wstring minimal = dir + L"\\bench_minimal_window.exe";
    const std::wstring platform = dir + L"\\bench_platform_window.exe";

    // One untimed start of each first: the first Wine start of an executable pays for loading
    // its DLLs from disk and for the desktop process coming up.
    RunChild(minimal, kMinimalClass, false, L"", false);
    RunChild(platform, kMinimalClass, false, L"", false);
    RunChild(platform, kMinimalClass, false, L"", false, L"--no-player");
    RunChild(zarvio, kFormClass, true, options.dataDir, false);

    std::vector<ChildRun> program, baseline, platformParts, platformNoPlayer;
    for (int i = 0; i < options.startRepetitions; ++i) {
        // Rotate the order, so no program always runs right after the same other one.
        for (int k = 0; k < 4; ++k) {
            switch ((i + k) % 4) {
            case 0: program.push_back(RunChild(zarvio, kFormClass, true, options.dataDir, true)); break;
            case 1: baseline.push_back(RunChild(minimal, kMinimalClass, false, L"", true)); break;
            case 2: platformParts.push_back(RunChild(platform, kMinimalClass, false, L"", false)); break;
            default: platformNoPlayer.push_back(RunChild(platform, kMinimalClass, false, L"", false, L"--no-player")); break;
            }
        }
    }
    for (const auto* runs : {&program, &baseline, &platformParts, &platformNoPlayer})
        for (const auto& r : *runs)
            if (!r.ok) Report("1 start-up", "ERROR " + r.error);

    const auto shownOf = [](const ChildRun& r) { return r.shownMs; };
    const auto idleOf = [](const ChildRun& r) { return r.idleMs; };
    const double shown = Median(Collect(program, shownOf));
    const double idle = Median(Collect(program, idleOf));
    const double minShown = Median(Collect(baseline, shownOf));
    const double minIdle = Median(Collect(baseline, idleOf));
    const double platShown = Median(Collect(platformParts, shownOf));
    const double dllShown = Median(Collect(platformNoPlayer, shownOf));
    const double ratio = minShown > 0 ? shown / minShown : 0;
    Report("1 start-up",
           Format("zarvio.exe shown %.0f ms (input idle %.0f ms) | minimal window shown %.0f ms (idle %.0f ms) | "
                  "ratio %.2fx, target <= 1.5x: %s | median of %d starts each",
                  shown, idle, minShown, minIdle, ratio, Verdict(ratio > 0 && ratio <= 1.5),
                  options.startRepetitions));
    Report("1 start-up, shares",
           Format("empty window with zarvio's DLLs and common controls 6 shown %.0f ms, with COM and the media "
                  "player too %.0f ms: of zarvio's %.0f ms over the minimal window, DLLs %.0f, COM + media player "
                  "%.0f, its own start-up %.0f | median of %d",
                  dllShown, platShown, shown - minShown, dllShown - minShown, platShown - dllShown,
                  shown - platShown, options.startRepetitions));

    // The program's own share, without the cost of starting a Wine process.
    std::vector<double> here, herePlayer, hereMinimal;
    InProcessFigures firstMain, firstMinimal;
    int laterGdiLeft = 0, laterWindowsLeft = 0;
    for (int i = 0; i < options.inProcessRepetitions; ++i) {
        const InProcessFigures m = StartMainWindowHere(options.dataDir);
        const InProcessFigures p = StartMinimalWindowHere();
        if (i == 0) { firstMain = m; firstMinimal = p; continue; }  // the first loads the DLLs
        if (m.ok) here.push_back(m.startMs);
        if (m.ok) herePlayer.push_back(m.playerMs);
        if (p.ok) hereMinimal.push_back(p.startMs);
        laterGdiLeft += m.gdiLeftAfterClose;
        laterWindowsLeft += m.windowsLeftAfterClose;
    }
    Report("1 start-up in process",
           Format("media player + MainWindow::Start %.1f ms, of which the player %.1f ms (first in the process "
                  "%.1f ms, player %.1f ms) | empty window created and shown %.2f ms | median of %d",
                  Median(here), Median(herePlayer), firstMain.startMs, firstMain.playerMs, Median(hereMinimal),
                  options.inProcessRepetitions - 1));

    const double ws = Median(Collect(program, [](const ChildRun& r) { return r.workingSetMiB; }));
    const double priv = Median(Collect(program, [](const ChildRun& r) { return r.privateMiB; }));
    const double minWs = Median(Collect(baseline, [](const ChildRun& r) { return r.workingSetMiB; }));
    const double minPriv = Median(Collect(baseline, [](const ChildRun& r) { return r.privateMiB; }));
    std::string memoryText = Format("zarvio.exe working set %.1f MiB | minimal window %.1f MiB", ws, minWs);
    if (priv > 0 || minPriv > 0)
        memoryText += Format(" | private bytes %.1f MiB against %.1f MiB", priv, minPriv);
    memoryText += Format(" | median of %d", options.startRepetitions);
    resources.push_back({"5 memory after start-up", memoryText});

    const double gdi = Median(Collect(program, [](const ChildRun& r) { return double(r.gdiObjects); }));
    const double user = Median(Collect(program, [](const ChildRun& r) { return double(r.userObjects); }));
    const double minGdi = Median(Collect(baseline, [](const ChildRun& r) { return double(r.gdiObjects); }));
    const double minUser = Median(Collect(baseline, [](const ChildRun& r) { return double(r.userObjects); }));
    std::string platformCount =
        Format("GetGuiResources of the child: zarvio.exe GDI %.0f USER %.0f | minimal window GDI %.0f USER %.0f",
               gdi, user, minGdi, minUser);
    if (gdi == 0 && user == 0) platformCount += " (the platform does not count them: Wine answers 0)";
    resources.push_back({"5 objects (platform)", platformCount});
    if (firstMain.ok && firstMinimal.ok) {
        resources.push_back({"5 objects (in process)",
               Format("main window start-up adds GDI %d, windows %d | empty window adds GDI %d, windows %d | "
                      "after Exit and close: first start leaves GDI %+d, windows %+d; the %d starts after it "
                      "together GDI %+d, windows %+d",
                      firstMain.gdiAdded, firstMain.windowsAdded, firstMinimal.gdiAdded, firstMinimal.windowsAdded,
                      firstMain.gdiLeftAfterClose, firstMain.windowsLeftAfterClose,
                      options.inProcessRepetitions - 1, laterGdiLeft, laterWindowsLeft)});
    } else {
        resources.push_back({"5 objects (in process)", "ERROR the main window did not start in the benchmark process"});
    }
    return resources;
}

}  // namespace zarvio::bench
