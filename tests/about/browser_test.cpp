// The web page is opened through the system's own rundll32.exe, never through one that lies
// beside the program. The stand-ins are copies of this test program: started under the name
// rundll32.exe it only leaves its command line in a marker file beside itself and ends.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/files.h"
#include "platform/system_services.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

constexpr wchar_t kMarkerName[] = L"rundll32-ran.txt";

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return path;
}

// Runs before the tests when this program was started as a stand-in.
const bool kRanAsStandIn = [] {
    const std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L"\\/");
    if (lstrcmpiW(path.c_str() + slash + 1, L"rundll32.exe") != 0) return false;
    const std::wstring folder = path.substr(0, slash);
    const std::wstring line = GetCommandLineW();
    const std::wstring temp = JoinPath(folder, L"marker.tmp");
    WriteFileAtomically(temp, std::string(reinterpret_cast<const char*>(line.data()), line.size() * sizeof(wchar_t)));
    MoveFileExW(temp.c_str(), JoinPath(folder, kMarkerName).c_str(), MOVEFILE_REPLACE_EXISTING);
    ExitProcess(0);
}();

std::optional<std::wstring> WaitForMarker(const std::wstring& folder, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (const auto bytes = ReadFileBytes(JoinPath(folder, kMarkerName)))
            return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
        Sleep(50);
    }
    return std::nullopt;
}

// Deletes a file once the process started from it has ended.
void DeleteWhenFree(const std::wstring& path) {
    for (int i = 0; i < 100 && FileExists(path) && !DeleteFileW(path.c_str()); ++i) Sleep(50);
}

}  // namespace

TEST(Browser, RunsTheSystemFoldersRundll32AndNotOneBesideTheProgram) {
    ASSERT_FALSE(kRanAsStandIn);
    TempDir system;
    const std::wstring self = ModulePath();
    const std::wstring appDir = ExecutableDirectory();
    const std::wstring planted = JoinPath(appDir, L"rundll32.exe");
    ASSERT_TRUE(CopyFileW(self.c_str(), system.File(L"rundll32.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(self.c_str(), planted.c_str(), FALSE));

    const std::wstring url = L"http://127.0.0.1:9/forum.php?mod=viewthread&tid=1";
    Win32Browser(system.path()).Open(url);
    const auto ran = WaitForMarker(system.path(), 30000);
    const auto plantedRan = WaitForMarker(appDir, 500);
    DeleteWhenFree(system.File(L"rundll32.exe"));
    DeleteWhenFree(planted);
    DeleteFileW(JoinPath(appDir, kMarkerName).c_str());

    ASSERT_TRUE(ran.has_value()) << "the system folder's rundll32.exe did not run";
    EXPECT_EQ(*ran, L"\"" + system.File(L"rundll32.exe") + L"\" url.dll,FileProtocolHandler \"" + url + L"\"");
    EXPECT_FALSE(plantedRan.has_value()) << "the rundll32.exe in the program's folder ran";
}

TEST(Browser, TheSystemFolderHoldsTheRealRundll32) {
    const std::wstring folder = SystemFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(FileExists(JoinPath(folder, L"rundll32.exe")));
    EXPECT_NE(CompareStringOrdinal(folder.c_str(), -1, ExecutableDirectory().c_str(), -1, TRUE), CSTR_EQUAL);
}
