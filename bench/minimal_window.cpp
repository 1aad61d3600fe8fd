// The least a Win32 program does to put a window on the screen: register a class, create one
// empty top-level window, show it and run the message loop. Zarvio's start-up is measured
// against the time this takes to appear, in the same Wine session.
//
// Built a second time with BENCH_PLATFORM_PARTS as bench_platform_window.exe: the same empty
// window in a program that also loads what Zarvio takes from the platform before its window
// shows (its DLLs, common controls 6 through the same manifest, a COM apartment and the media
// player component; with "--no-player" the DLLs only). The differences between them are the
// platform's shares of Zarvio's start-up.
#include <windows.h>

#ifdef BENCH_PLATFORM_PARTS
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <wchar.h>
#endif

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

#ifdef BENCH_PLATFORM_PARTS
// Windows Media Player, {6BF52A52-394A-11D3-B153-00C04F79FAA6}.
constexpr CLSID kMediaPlayer = {0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};

// Referenced so the linker imports each DLL that zarvio.exe imports.
void* volatile gImports[] = {reinterpret_cast<void*>(&AlphaBlend), reinterpret_cast<void*>(&SysFreeString),
                             reinterpret_cast<void*>(&ShellExecuteW), reinterpret_cast<void*>(&RegCloseKey)};
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
#ifdef BENCH_PLATFORM_PARTS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // "--no-player" leaves out COM and the media player: the DLLs alone.
    const bool withPlayer = wcsstr(commandLine, L"--no-player") == nullptr;
    IUnknown* player = nullptr;
    if (withPlayer) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CoCreateInstance(kMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&player));
    }
#else
    (void)commandLine;
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"ZarvioBenchMinimal";
    if (!RegisterClassW(&wc)) return 1;
    // About the size of Zarvio's main window, so both put the same area on the screen.
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Zarvio bench minimal window", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 370, 260, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
#ifdef BENCH_PLATFORM_PARTS
    if (player) player->Release();
    if (withPlayer) CoUninitialize();
#endif
    return static_cast<int>(msg.wParam);
}
