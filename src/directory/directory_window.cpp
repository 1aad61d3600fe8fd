#include "directory/directory_window.h"

#include <commctrl.h>

#include "platform/contract.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/twips.h"
#include "stations/station_messages.h"
#include "stations/station_store.h"

namespace zarvio::directory {
namespace {

// Workers wake the window with this; the answers wait in the box.
constexpr UINT kAnswerMessage = WM_APP + 0x50;
// While an answer is awaited this timer looks into the box too, in case a wake-up could not be
// posted (a full message queue).
constexpr UINT_PTR kAnswerTimer = 1;
constexpr UINT kAnswerTimerMs = 500;

constexpr int kClientWidth = 9360;
constexpr int kClientHeight = 6075;
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr FontDescription kWindowFont{L"宋体", 90};

struct Column {
    const wchar_t* title;
    int widthTwips;
    int format;
};
constexpr Column kColumns[] = {
    {L"名称", 3600, LVCFMT_LEFT}, {L"国家", 1800, LVCFMT_LEFT},  {L"编码", 1080, LVCFMT_LEFT},
    {L"码率", 1080, LVCFMT_RIGHT}, {L"人气", 1200, LVCFMT_RIGHT},
};

std::wstring BitrateText(int64_t kbps) { return kbps > 0 ? std::to_wstring(kbps) + L" kbps" : std::wstring(); }

}  // namespace

HWND CreateResultsList(HWND parent, int id, TwipsRect place) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                TwipsToPixels(place.left), TwipsToPixels(place.top), TwipsToPixels(place.width),
                                TwipsToPixels(place.height), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!list) return nullptr;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.fmt = kColumns[i].format;
        c.cx = TwipsToPixels(kColumns[i].widthTwips);
        c.pszText = const_cast<wchar_t*>(kColumns[i].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
    }
    return list;
}

void AppendResultRows(HWND list, const std::vector<DirectoryStation>& stations) {
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const auto first = static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    SendMessageW(list, LVM_SETITEMCOUNT, first + stations.size(), LVSICF_NOINVALIDATEALL);
    std::wstring cells[std::size(kColumns)];
    for (size_t i = 0; i < stations.size(); ++i) {
        const DirectoryStation& s = stations[i];
        cells[0] = FromUtf8(s.name);
        cells[1] = FromUtf8(s.country);
        cells[2] = FromUtf8(s.codec);
        cells[3] = BitrateText(s.bitrate);
        cells[4] = std::to_wstring(s.clickCount);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(first + i);
        item.pszText = cells[0].data();
        const auto row = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (row < 0) continue;
        for (int c = 1; c < static_cast<int>(std::size(kColumns)); ++c) {
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = cells[c].data();
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    (void)InvalidateRect(list, nullptr, TRUE);
}

std::wstring FoundText(size_t count) { return L"找到 " + std::to_wstring(count) + L" 个电台"; }

std::wstring UnreachableText(const std::wstring& reason) { return L"无法连接电台目录（" + reason + L"）"; }

bool NameFitsCodePage(const std::wstring& name) {
    if (name.empty()) return true;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()), nullptr,
                                      0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    // The round trip as well: a code page may map a character to a look-alike without saying so.
    return CanEncodeAnsi(name);
}

DirectoryWindow::DirectoryWindow(const Services& services, const DirectoryLinks& links, DirectorySession& session)
    : messageBox_(Required(services.messageBox, "the station search needs a message box")),
      files_(services.files ? *services.files : SystemFileWriter()),
      appDir_(services.appDir),
      links_(links),
      session_(session) {}

DirectoryWindow::~DirectoryWindow() { Destroy(); }

bool DirectoryWindow::Open() {
    if (!CreateShown(FormOptions::Secondary(kDirectoryCaption, kClientWidth, kClientHeight))) return false;
    SetFocus(name_);
    return true;
}

void DirectoryWindow::BuildControls() {
    // Created in tab order.
    const auto label = [this](int id, TwipsRect r, const wchar_t* text) {
        HWND l = AddLabel(hwnd(), id, r, text);
        SetColors(l, kTeal);
        SetFont(l, kWindowFont);
    };
    label(kDirNameLabel, {120, 165, 600, 240}, L"名称：");
    name_ = AddTextBox(hwnd(), kDirName, {720, 120, 2160, 330});
    label(kDirCountryLabel, {3000, 165, 600, 240}, L"国家：");
    // An editable list: the directory's countries to pick from, or any part of a name typed in.
    country_ = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                   CBS_AUTOHSCROLL,
                               TwipsToPixels(3600), TwipsToPixels(120), TwipsToPixels(1800), TwipsToPixels(3600),
                               hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDirCountry)),
                               GetModuleHandleW(nullptr), nullptr);
    label(kDirTagLabel, {5520, 165, 600, 240}, L"标签：");
    tag_ = AddTextBox(hwnd(), kDirTag, {6120, 120, 1680, 330});
    AddButton(hwnd(), kDirSearch, {7920, 105, 1320, 360}, L"搜索(&S)");

    results_ = CreateResultsList(hwnd(), kDirResults, {120, 600, 9120, 4080});

    // Shown only while a name waits to be corrected before it can be stored.
    fixLabel_ = AddLabel(hwnd(), kDirFixLabel, {120, 4800, 4500, 255}, kUnsavableNameText);
    SetColors(fixLabel_, kRed);
    SetFont(fixLabel_, kWindowFont);
    fixName_ = AddTextBox(hwnd(), kDirFixName, {4680, 4755, 4560, 330});
    ShowFixRow(false);

    more_ = AddButton(hwnd(), kDirMore, {120, 5220, 1320, 360}, L"更多(&M)");
    try_ = AddButton(hwnd(), kDirTry, {5160, 5220, 1320, 360}, L"试听(&L)");
    add_ = AddButton(hwnd(), kDirAdd, {6540, 5220, 1320, 360}, L"添加(&A)");
    AddButton(hwnd(), kDirClose, {7920, 5220, 1320, 360}, L"关闭");

    status_ = AddStatusBar(kDirStatus, {0, 5700, kClientWidth, 375});
    const StatusPanel panel{PanelKind::Text, kClientWidth, L"电台目录的搜索状态。"};
    ConfigureStatusBar(status_, &panel, 1);

    for (HWND w : {name_, country_, tag_, results_, fixName_}) SetFont(w, kWindowFont);
    UpdateButtons();
}

void DirectoryWindow::Form_Load() {
    CenterOnScreen();
    box_->Attach(hwnd(), kAnswerMessage);
    if (session_.countries) {
        ShowCountries(*session_.countries);
        return;
    }
    // Once a run: the list hardly changes, and the box takes typed names meanwhile.
    countriesAwaited_ = true;
    (void)SetTimer(hwnd(), kAnswerTimer, kAnswerTimerMs, nullptr);
    DirectoryAnswer none;
    none.kind = DirectoryAnswer::Kind::Countries;
    none.countries.failure = L"未知错误";
    (void)StartJob(box_, session_.servers, links_.fetcher,
                   [](DirectoryClient& client) {
                       DirectoryAnswer a;
                       a.kind = DirectoryAnswer::Kind::Countries;
                       a.countries = client.Countries();
                       return a;
                   },
                   std::move(none));
}

void DirectoryWindow::Form_Unload() {
    AbandonSearch();
    box_->Detach();  // what the workers still bring is dropped
}

void DirectoryWindow::AbandonSearch() {
    ++generation_;
    if (search_) search_->Cancel();
    search_.reset();
    searching_ = false;
}

void DirectoryWindow::Search_Click() { StartSearch(false); }

void DirectoryWindow::More_Click() {
    if (!morePages_) return;
    StartSearch(true);
}

void DirectoryWindow::StartSearch(bool nextPage) {
    AbandonSearch();
    if (nextPage) {
        query_.offset = static_cast<int>(stations_.size());
    } else {
        query_ = SearchQuery{ToUtf8(Trim(WindowText(name_))), ToUtf8(Trim(WindowText(country_))),
                             ToUtf8(Trim(WindowText(tag_))), 0};
        ShowFixRow(false);
        stations_.clear();
        morePages_ = false;
        if (results_) SendMessageW(results_, LVM_DELETEALLITEMS, 0, 0);
    }
    searching_ = true;
    (void)SetTimer(hwnd(), kAnswerTimer, kAnswerTimerMs, nullptr);
    SetPanelText(status_, 0, kSearchingText);
    UpdateButtons();
    const uint64_t generation = generation_;
    DirectoryAnswer none;
    none.generation = generation;
    none.search.failure = L"未知错误";
    search_ = StartJob(box_, session_.servers, links_.fetcher,
                       [query = query_, generation](DirectoryClient& client) {
                           DirectoryAnswer a;
                           a.kind = DirectoryAnswer::Kind::Search;
                           a.generation = generation;
                           a.search = client.Search(query);
                           return a;
                       },
                       std::move(none));
}

void DirectoryWindow::TakeAnswers() {
    for (DirectoryAnswer& a : box_->Take()) {
        switch (a.kind) {
        case DirectoryAnswer::Kind::Search:
            if (searching_ && a.generation == generation_) ShowSearch(a.search);
            break;
        case DirectoryAnswer::Kind::Countries:
            if (!countriesAwaited_) break;
            countriesAwaited_ = false;
            if (a.countries.failure.empty()) {
                std::vector<std::wstring> names;
                names.reserve(a.countries.answer.names.size());
                for (const std::string& n : a.countries.answer.names) names.push_back(FromUtf8(n));
                session_.countries = std::move(names);
                ShowCountries(*session_.countries);
            }
            break;
        case DirectoryAnswer::Kind::Click:
            break;  // told; nothing to show
        }
    }
    if (!Waiting()) (void)KillTimer(hwnd(), kAnswerTimer);
}

void DirectoryWindow::OnTimer(UINT_PTR id) {
    if (id == kAnswerTimer) TakeAnswers();
}

void DirectoryWindow::ShowSearch(const SearchResult& result) {
    searching_ = false;
    search_.reset();
    if (!result.failure.empty()) {
        SetPanelText(status_, 0, UnreachableText(result.failure));
        UpdateButtons();
        return;
    }
    const bool firstPage = stations_.empty();
    AppendResultRows(results_, result.answer.stations);
    stations_.insert(stations_.end(), result.answer.stations.begin(), result.answer.stations.end());
    // A full page says there may be more; a short one is the last.
    morePages_ = result.answer.stations.size() + result.answer.skipped >= static_cast<size_t>(kPageSize);
    SetPanelText(status_, 0, FoundText(stations_.size()));
    if (firstPage && !stations_.empty()) {
        ListView_SetItemState(results_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    UpdateButtons();
}

void DirectoryWindow::ShowCountries(const std::vector<std::wstring>& names) {
    const std::wstring typed = WindowText(country_);
    SendMessageW(country_, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& n : names) SendMessageW(country_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    SetWindowTextW(country_, typed.c_str());  // what the user typed meanwhile stays
}

int DirectoryWindow::RowCount() const {
    return results_ ? static_cast<int>(SendMessageW(results_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int DirectoryWindow::SelectedRow() const {
    if (!results_) return -1;
    const int row = static_cast<int>(SendMessageW(results_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return row >= 0 && static_cast<size_t>(row) < stations_.size() ? row : -1;
}

std::vector<std::wstring> DirectoryWindow::RowTexts(int row) const {
    std::vector<std::wstring> out;
    for (int c = 0; c < 5; ++c) {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = c;
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(results_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        out.emplace_back(buffer);
    }
    return out;
}

std::wstring DirectoryWindow::StatusText() const { return PanelText(status_, 0); }

void DirectoryWindow::UpdateButtons() {
    const bool chosen = SelectedRow() >= 0;
    EnableWindow(try_, chosen);
    EnableWindow(add_, chosen || fixing_.has_value());
    EnableWindow(more_, morePages_ && !searching_);
}

void DirectoryWindow::ShowFixRow(bool shown) {
    if (!shown) fixing_.reset();
    for (HWND w : {fixLabel_, fixName_}) (void)ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
}

void DirectoryWindow::Try_Click() {
    const int row = SelectedRow();
    if (row < 0) return;
    const DirectoryStation& s = stations_[static_cast<size_t>(row)];
    if (links_.tryStation) links_.tryStation(FromUtf8(s.name), FromUtf8(EncodeAddress(s.url)));
    SendClick(s.uuid);
}

void DirectoryWindow::SendClick(const std::string& uuid) {
    if (uuid.empty()) return;
    DirectoryAnswer none;
    none.kind = DirectoryAnswer::Kind::Click;
    // Not cancelled with the window: the directory hears of the play even when the window closes.
    (void)StartJob(box_, session_.servers, links_.fetcher,
                   [uuid](DirectoryClient& client) {
                       DirectoryAnswer a;
                       a.kind = DirectoryAnswer::Kind::Click;
                       a.clicked = client.Click(uuid);
                       return a;
                   },
                   std::move(none));
}

void DirectoryWindow::Add_Click() {
    const int row = fixing_ ? static_cast<int>(*fixing_) : SelectedRow();
    if (row < 0) return;
    const DirectoryStation& s = stations_[static_cast<size_t>(row)];
    const std::wstring name = fixing_ ? WindowText(fixName_) : FromUtf8(s.name);
    if (!NameFitsCodePage(name)) {
        // Stored as it stands the name would hold '?' for what the code page lacks: the user
        // corrects it first, in the box below the list.
        fixing_ = static_cast<size_t>(row);
        SetWindowTextW(fixName_, name.c_str());
        ShowFixRow(true);
        UpdateButtons();
        Complain(kUnsavableNameText);
        SetFocus(fixName_);
        SendMessageW(fixName_, EM_SETSEL, 0, -1);
        return;
    }
    AddStation(name, EncodeAddress(s.url));
}

void DirectoryWindow::AddStation(const std::wstring& name, const std::string& address) {
    if (Trim(name).empty()) {
        Complain(kMissingInputText);
        if (fixing_) SetFocus(fixName_);
        return;
    }
    const StationChange added = AppendStation(files_, appDir_, name, FromUtf8(address));
    if (added != StationChange::Done) {
        // The same refusals and texts as the editor's add; the files stay as they were.
        if (added == StationChange::TooLarge) Complain(kTooLargeText);
        else if (added == StationChange::LineBreak) Complain(kLineBreakText);
        else Complain(added == StationChange::OutOfStep ? kOutOfStepText : kAddWriteFailedText);
        return;
    }
    ShowFixRow(false);
    UpdateButtons();
    const size_t count = ReadStationFile(NamesFilePath(appDir_)).size();
    if (links_.stationAdded && count > 0) links_.stationAdded(count - 1);
    messageBox_.Show(hwnd(), kAddedText, L"成功提示", MB_OK | MB_ICONINFORMATION);
}

void DirectoryWindow::Complain(const wchar_t* text) { messageBox_.Show(hwnd(), text, L"错误提示", MB_OK | MB_ICONERROR); }

void DirectoryWindow::OnCommand(int id, int code, HWND) {
    switch (id) {
    case kDirSearch: if (code == BN_CLICKED) Search_Click(); break;
    case kDirMore: if (code == BN_CLICKED) More_Click(); break;
    case kDirTry: if (code == BN_CLICKED) Try_Click(); break;
    case kDirAdd: if (code == BN_CLICKED) Add_Click(); break;
    case kDirClose: if (code == BN_CLICKED) SendMessageW(hwnd(), WM_CLOSE, 0, 0); break;
    case IDOK: {
        // Enter: in the list it tries the station, in the correction box it adds, in a search
        // box (or the country list's edit field) it searches.
        HWND focus = GetFocus();
        if (focus == results_) Try_Click();
        else if (focus == fixName_) Add_Click();
        else if (focus == name_ || focus == tag_ || focus == country_ || IsChild(country_, focus)) Search_Click();
        break;
    }
    case IDCANCEL: SendMessageW(hwnd(), WM_CLOSE, 0, 0); break;  // Esc: as the close box
    default: break;
    }
}

LRESULT DirectoryWindow::OnMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == kAnswerMessage) {
        handled = true;
        TakeAnswers();
        return 0;
    }
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != results_) return 0;
        if (header->code == NM_DBLCLK || header->code == NM_RETURN) {
            Try_Click();
        } else if (header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
                // Another row chosen: the correction belonged to the one before.
                if (fixing_ && SelectedRow() != static_cast<int>(*fixing_)) ShowFixRow(false);
                UpdateButtons();
            }
        }
    }
    return 0;
}

DirectoryHost::DirectoryHost(Services services, DirectoryLinks links, uint32_t seed)
    : services_(std::move(services)), links_(std::move(links)) {
    session_.servers = std::make_shared<DirectoryServers>(services_.appDir, links_.resolver, seed);
}

void DirectoryHost::Open() {
    if (DirectoryWindow* open = current()) {
        open->ShowAndActivate(SW_SHOWNORMAL);
        return;
    }
    window_ = std::make_unique<DirectoryWindow>(services_, links_, session_);
    if (!window_->Open()) window_.reset();
}

}  // namespace zarvio::directory
