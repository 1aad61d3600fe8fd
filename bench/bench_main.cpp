// zarvio_bench: prints one line per figure, each with the baseline it is measured against in the
// same run. scripts/bench builds and runs it under Wine.
//   zarvio_bench [--data DIR] [--quick]
//     --data DIR   the folder of shipped data files copied next to each started zarvio.exe
//                  (default: the station and volume files next to the benchmark)
//     --quick      fewer repetitions, for a look rather than a record
//     --only LIST  just these figures, e.g. "2" or "3,4" (1 and 5 come from the same starts;
//                  "S" is figure 12, the station search's list)
//     --stream URL DIR   the tests' local server and its media folder, for figures 6 to 8
#include <objbase.h>

#include <cwchar>
#include <string>
#include <vector>

#include "bench_support.h"
#include "directory_results.h"
#include "list_load.h"
#include "painting.h"
#include "startup.h"
#include "stream_playback.h"

int wmain(int argc, wchar_t** argv) {
    using namespace zarvio::bench;
    StartupOptions startup;
    int listRepetitions = 15;
    int paintRepetitions = 1000;
    std::wstring only;
    std::wstring server, media;
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--data") == 0 && i + 1 < argc) {
            startup.dataDir = argv[++i];
        } else if (std::wcscmp(argv[i], L"--stream") == 0 && i + 2 < argc) {
            server = argv[++i];
            media = argv[++i];
        } else if (std::wcscmp(argv[i], L"--quick") == 0) {
            quick = true;
            startup.startRepetitions = 3;
            startup.inProcessRepetitions = 3;
            listRepetitions = 5;
            paintRepetitions = 200;
        } else if (std::wcscmp(argv[i], L"--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fwprintf(stderr, L"usage: zarvio_bench [--data DIR] [--quick] [--only LIST] [--stream URL DIR]\n");
            return 2;
        }
    }
    // The media component of the main window needs a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto wanted = [&only](wchar_t figure) { return only.empty() || only.find(figure) != std::wstring::npos; };
    std::vector<ReportLine> resources;
    if (wanted(L'1') || wanted(L'5')) resources = RunStartupFigures(startup);
    if (wanted(L'2')) RunListLoadFigure(listRepetitions);
    if (wanted(L'3') || wanted(L'4')) RunPaintingFigures(paintRepetitions);
    if (wanted(L'S')) RunDirectoryResultsFigure(quick ? 3 : 9);
    for (const auto& line : resources) Report(line.figure, line.text);
    if (!server.empty() && (wanted(L'6') || wanted(L'7') || wanted(L'8'))) RunStreamFigures(server, media, quick);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
