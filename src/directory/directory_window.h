// The station search "电台搜索": finds stations in the public radio directory by name, country
// and tag, plays one on trial through the program's player and adds one to the station files.
// A secondary window like the editor: at most one, modeless, without owner, destroyed on close,
// skinned when it is activated. Every request runs on a worker; the window never waits.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/directory_jobs.h"
#include "platform/services.h"
#include "platform/toolkit/form.h"

namespace zarvio::directory {

enum DirectoryControl : int {
    kDirNameLabel = 701, kDirName, kDirCountryLabel, kDirCountry, kDirTagLabel, kDirTag, kDirSearch,
    kDirResults, kDirFixLabel, kDirFixName, kDirMore, kDirTry, kDirAdd, kDirClose, kDirStatus,
};

inline constexpr wchar_t kDirectoryCaption[] = L"电台搜索";
inline constexpr wchar_t kSearchingText[] = L"正在搜索...";
inline constexpr wchar_t kUnsavableNameText[] = L"电台名称含有无法保存的字符，请修改名称后再添加。";
inline constexpr wchar_t kAddedText[] = L"添加成功";

// "找到 N 个电台".
std::wstring FoundText(size_t count);
// "无法连接电台目录（reason）".
std::wstring UnreachableText(const std::wstring& reason);

// Whether the system ANSI code page holds every character of the name as it is: no default
// character put in, no best-fit look-alike.
bool NameFitsCodePage(const std::wstring& name);

// The results list: a report view with the columns name, country, codec, bitrate and
// popularity, in the window's font.
HWND CreateResultsList(HWND parent, int id, TwipsRect place);
// Appends one row per station after the rows the list has, with redraw off meanwhile.
void AppendResultRows(HWND list, const std::vector<DirectoryStation>& stations);

// What the window needs from the rest of the program, beside the services.
struct DirectoryLinks {
    // Plays a station as a choice in the main list does (status bar, now-playing line, tray tip).
    std::function<void(const std::wstring& name, const std::wstring& url)> tryStation;
    // The station files gained a station at this 0-based position.
    std::function<void(size_t index)> stationAdded;
    // How requests are fetched; unset: the stream player's transport.
    FetcherFactory fetcher;
    // Where the servers come from without directory.ini; null: the DNS. Must outlive the host.
    SrvResolver* resolver = nullptr;
};

// What one run of the program keeps between windows: the country list, fetched once, and the
// servers with the one that answered last.
struct DirectorySession {
    std::shared_ptr<DirectoryServers> servers;
    std::optional<std::vector<std::wstring>> countries;
};

// Needs services.messageBox and services.appDir; services.files as the editor takes it.
class DirectoryWindow : public Form {
public:
    DirectoryWindow(const Services& services, const DirectoryLinks& links, DirectorySession& session);
    ~DirectoryWindow() override;

    bool Open();

    void Search_Click();  // a new search from the boxes
    void More_Click();    // the next page of the same search
    void Try_Click();
    void Add_Click();

    HWND item(int id) const { return Control(id); }
    HWND results() const { return results_; }
    std::wstring StatusText() const;
    // The row's cells as shown: name, country, codec, bitrate, popularity.
    std::vector<std::wstring> RowTexts(int row) const;
    int RowCount() const;
    // Whether a search, a page or the country list is still awaited.
    bool Waiting() const { return searching_ || countriesAwaited_; }

private:
    void BuildControls() override;
    void Form_Load() override;
    void Form_Unload() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    void StartSearch(bool nextPage);
    void AbandonSearch();
    void TakeAnswers();
    void ShowSearch(const SearchResult& result);
    void ShowCountries(const std::vector<std::wstring>& names);
    int SelectedRow() const;
    void ShowFixRow(bool shown);
    void SendClick(const std::string& uuid);
    void AddStation(const std::wstring& name, const std::string& address);
    void Complain(const wchar_t* text);
    void UpdateButtons();

    MessageBoxService& messageBox_;
    FileWriter& files_;
    std::wstring appDir_;
    DirectoryLinks links_;
    DirectorySession& session_;
    std::shared_ptr<AnswerBox> box_ = std::make_shared<AnswerBox>();

    uint64_t generation_ = 0;                    // of the search whose answer is awaited or shown
    std::shared_ptr<DirectoryFetcher> search_;  // the running search's fetcher, for cancelling it
    bool searching_ = false;
    bool countriesAwaited_ = false;
    SearchQuery query_;                          // the search shown, for its next page
    bool morePages_ = false;
    std::vector<DirectoryStation> stations_;     // row i of the list is stations_[i]
    std::optional<size_t> fixing_;               // the row whose name the fix box holds

    HWND name_ = nullptr, country_ = nullptr, tag_ = nullptr, results_ = nullptr, status_ = nullptr;
    HWND fixLabel_ = nullptr, fixName_ = nullptr, more_ = nullptr, try_ = nullptr, add_ = nullptr;
};

// Keeps at most one search window and the session it shares between windows.
class DirectoryHost {
public:
    DirectoryHost(Services services, DirectoryLinks links, uint32_t seed = GetTickCount());
    void Open();
    DirectoryWindow* current() const { return window_ && window_->hwnd() ? window_.get() : nullptr; }

private:
    Services services_;
    DirectoryLinks links_;
    DirectorySession session_;
    std::unique_ptr<DirectoryWindow> window_;
};

}  // namespace zarvio::directory
