#include "editor/station_editor.h"

#include "platform/contract.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"

namespace zarvio {
namespace {

constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kDarkGreen = RGB(0, 128, 0);

// Fills a preview with the file's lines and keeps their bytes in seen. True unless the file was
// too large to be read.
bool FillPreview(HWND list, const std::wstring& path, std::vector<std::string>& seen) {
    const StationFileBytes file = ReadStationBytes(path);
    seen = SplitStationLines(file.bytes);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListClear(list);
    for (const auto& line : seen) ListAdd(list, DecodeStationLine(line));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    (void)InvalidateRect(list, nullptr, TRUE);
    return file.outcome != ReadOutcome::TooLarge;
}

}  // namespace

StationEditor::StationEditor(const Services& services)
    : messageBox_(Required(services.messageBox, "the station editor needs a message box")),
      files_(services.files ? *services.files : SystemFileWriter()),
      appDir_(services.appDir) {}

StationEditor::~StationEditor() { Destroy(); }

bool StationEditor::Open() {
    // The station search's button takes a row of its own below the previews.
    if (!CreateShown(FormOptions::Secondary(L"添加新电台", 10245, openDirectory_ ? 5865 : 5385))) return false;
    SetFocus(text1_);
    return true;
}

void StationEditor::BuildControls() {
    // Created in tab order; containers before what they hold.
    frame1_ = AddFrame(hwnd(), kEdFrame1, {120, 120, 10095, 1215}, L"电台添加设置");
    SetColors(frame1_, RGB(0, 0, 255));
    SetFont(frame1_, {L"黑体", 105});
    HWND label1 = AddLabel(frame1_, kEdLabel1, {120, 360, 1440, 180}, L"电台名称(NAME)：");
    HWND label2 = AddLabel(frame1_, kEdLabel2, {120, 840, 1350, 180}, L"电台网址(URL)：");
    SetColors(label1, kTeal);
    SetColors(label2, kTeal);
    text1_ = AddTextBox(frame1_, kEdText1, {1560, 240, 6495, 390});
    text2_ = AddTextBox(frame1_, kEdText2, {1560, 720, 8415, 375});
    for (HWND t : {text1_, text2_}) {
        SetColors(t, kTeal, RGB(255, 255, 255));
        SetFont(t, {L"宋体", 143});
    }
    // Only carries the second half of a delete; the user never sees it.
    HWND command4 = AddButton(hwnd(), kEdCommand4, {9000, 720, 735, 495}, L"Command4");
    (void)ShowWindow(command4, SW_HIDE);
    EnableWindow(command4, FALSE);
    AddButton(frame1_, kEdCommand1, {8160, 240, 1815, 375}, L"添加 (&T)");

    frame2_ = AddFrame(hwnd(), kEdFrame2, {120, 1560, 10095, 3735},
                       L"删除电台                要删除电台，请先选择电台名称，然后点击“删除”键即可。");
    SetColors(frame2_, RGB(255, 0, 0));
    SetFont(frame2_, {L"黑体", 105});
    command3_ = AddButton(frame2_, kEdCommand3, {1080, 3330, 2175, 285}, L"删除 (&D)");
    SetFont(command3_, {L"宋体", 105});
    frame3_ = AddFrame(frame2_, kEdFrame3, {120, 240, 3135, 3015}, L"电台名称预览");
    SetColors(frame3_, kDarkGreen);
    list1_ = AddListBox(frame3_, kEdList1, {120, 300, 2895, 2580});
    SetColors(list1_, kDarkGreen, RGB(255, 255, 255));
    SetToolTip(list1_, L"");
    frame4_ = AddFrame(frame2_, kEdFrame4, {3360, 240, 6615, 3015}, L"电台网址[URL]预览");
    SetColors(frame4_, kDarkGreen);
    list2_ = AddListBox(frame4_, kEdList2, {120, 300, 6375, 2580});
    SetColors(list2_, RGB(0, 64, 0), RGB(255, 255, 255));
    HWND command2 = AddButton(frame2_, kEdCommand2, {3360, 3330, 6615, 285}, L"刷新 (&R)");
    SetFont(command2, {L"宋体", 105});
    check1_ = AddCheckBox(frame2_, kEdCheck1, {120, 3360, 855, 255}, L"删除锁");

    // The line through the blank stretch of the frame caption, one pixel of button shadow.
    HWND line = AddLabel(frame2_, kEdLine1, {1200, 120, 1320, 15}, L"");
    SetColors(line, std::nullopt, GetSysColor(COLOR_BTNSHADOW));

    if (openDirectory_) AddButton(hwnd(), kEdSearch, {8280, 5400, 1935, 375}, L"搜索电台(&F)...");
}

void StationEditor::Form_Load() {
    Command2_Click();
    EnableWindow(command3_, FALSE);
    CenterOnScreen();
}

void StationEditor::Command2_Click() {
    const bool namesFit = FillPreview(list1_, NamesFilePath(appDir_), namesSeen_);
    const bool urlsFit = FillPreview(list2_, UrlsFilePath(appDir_), urlsSeen_);
    if (!namesFit || !urlsFit) Complain(kTooLargeText);
}

void StationEditor::Command1_Click() {
    const std::wstring name = WindowText(text1_);
    const std::wstring url = WindowText(text2_);
    if (name.empty() || url.empty()) {
        messageBox_.Show(hwnd(), kMissingInputText, L"错误提示", MB_OK | MB_ICONERROR);
    } else if (!FitsOnOneLine(name) || !FitsOnOneLine(url)) {
        // A paste or a program can put a line break into a one-line box; stored, the station
        // would take two lines of one file and one of the other.
        Complain(kLineBreakText);
        SetFocus(text1_);
        return;
    } else if (!CanEncodeAnsi(name) || !CanEncodeAnsi(url)) {
        // Stored as they stand these characters would turn into "?": keep the texts for correcting.
        Complain(kUnencodableText);
        SetFocus(text1_);
        return;
    } else if (const StationChange added = AppendStation(files_, appDir_, name, url);
               added != StationChange::Done) {
        // The typed station is kept so the user can try again.
        if (added == StationChange::TooLarge) Complain(kTooLargeText);
        else if (added == StationChange::LineBreak) Complain(kLineBreakText);
        else ReportWriteFailure(added == StationChange::OutOfStep ? kOutOfStepText : kAddWriteFailedText);
        SetFocus(text1_);
        return;
    } else {
        messageBox_.Show(hwnd(), L"添加成功", L"成功提示", MB_OK | MB_ICONINFORMATION);
    }
    SetWindowTextW(text1_, L"");
    SetWindowTextW(text2_, L"");
    SetFocus(text1_);
    Command2_Click();
}

std::optional<std::string> StationEditor::SeenUrl(size_t row) const {
    if (row < urlsSeen_.size()) return urlsSeen_[row];
    return std::nullopt;
}

void StationEditor::Command3_Click() {
    if (ListCount(list1_) == 0) return;  // nothing to remove: leave the files alone
    const std::wstring names = NamesFilePath(appDir_);
    const std::wstring urls = UrlsFilePath(appDir_);
    const int row = ListIndex(list1_);
    if (row < 0) {
        // No row selected: the lines stay, both files rewritten as they are, unless one of them
        // is too large to be touched at all.
        for (const std::wstring& path : {names, urls}) {
            if (const StationChange c = CheckSeenLine(path, SIZE_MAX, std::nullopt); c == StationChange::TooLarge) {
                ReportRefusedDelete(c);
                return;
            }
        }
        if (!RemoveStationLine(names, SIZE_MAX) || !RemoveStationLine(urls, SIZE_MAX))
            ReportWriteFailure(kDeleteWriteFailedText);
        return;
    }
    deleteRow_ = static_cast<size_t>(row);
    const std::optional<std::string> seenName =
        deleteRow_ < namesSeen_.size() ? std::optional<std::string>(namesSeen_[deleteRow_]) : std::nullopt;
    // Both files are checked before either is written, so a changed address file costs no
    // take-back; each write then checks its own file once more as it reads it.
    for (const StationChange c : {CheckSeenLine(names, deleteRow_, seenName), CheckSeenLine(urls, deleteRow_, SeenUrl(deleteRow_))}) {
        if (c != StationChange::Done) {
            ReportRefusedDelete(c);
            return;
        }
    }
    const StationChange removed = RemoveSeenLine(files_, names, deleteRow_, seenName, &namesBeforeDelete_);
    if (removed != StationChange::Done) {
        ReportRefusedDelete(removed);
        return;
    }
    Command4_Click();
}

void StationEditor::Command4_Click() {
    // The address half removes the same row, or nothing where the address file has no such line.
    const StationChange removed = RemoveSeenLine(files_, UrlsFilePath(appDir_), deleteRow_, SeenUrl(deleteRow_));
    if (removed == StationChange::Done) {
        // The previews already show the result once the row leaves them.
        const int row = static_cast<int>(deleteRow_);
        ListRemove(list1_, row);
        namesSeen_.erase(namesSeen_.begin() + row);
        if (deleteRow_ < urlsSeen_.size()) {
            ListRemove(list2_, row);
            urlsSeen_.erase(urlsSeen_.begin() + row);
        }
        return;
    }
    // The names file already lost its line: put its bytes back so the files stay in step.
    if (!files_.Replace(NamesFilePath(appDir_), namesBeforeDelete_)) {
        ReportWriteFailure(kOutOfStepText);
        return;
    }
    ReportRefusedDelete(removed);
}

void StationEditor::ReportRefusedDelete(StationChange why) {
    switch (why) {
    case StationChange::TooLarge: Complain(kTooLargeText); break;
    case StationChange::Changed:
        // Someone else changed the files since the previews were read: show them as they are now.
        Command2_Click();
        Complain(kFilesChangedText);
        break;
    default: ReportWriteFailure(kDeleteWriteFailedText); break;
    }
}

void StationEditor::Complain(const wchar_t* text) {
    messageBox_.Show(hwnd(), text, L"错误提示", MB_OK | MB_ICONERROR);
}

void StationEditor::ReportWriteFailure(const wchar_t* text) {
    Complain(text);
    Command2_Click();  // show what the files really hold
}

void StationEditor::Check1_Click() { EnableWindow(command3_, IsChecked(check1_)); }

// The two selections never differ, so both halves of a delete take the same row. A row the other
// list does not have clears its selection: asked for a row past its end, the list box keeps its
// old selection under Wine, and Windows does not say what it does.
void StationEditor::List1_Click() {
    const int row = ListIndex(list1_);
    SetListIndex(list2_, row < ListCount(list2_) ? row : -1);
}

void StationEditor::List2_Click() {
    const int row = ListIndex(list2_);
    SetListIndex(list1_, row < ListCount(list1_) ? row : -1);
}

void StationEditor::OnCommand(int id, int code, HWND) {
    switch (id) {
    case kEdCommand1: if (code == BN_CLICKED) Command1_Click(); break;
    case kEdCommand2: if (code == BN_CLICKED) Command2_Click(); break;
    case kEdCommand3: if (code == BN_CLICKED) Command3_Click(); break;
    case kEdCheck1: if (code == BN_CLICKED) Check1_Click(); break;
    case kEdSearch: if (code == BN_CLICKED && openDirectory_) openDirectory_(); break;
    case kEdList1: if (code == LBN_SELCHANGE) List1_Click(); break;
    case kEdList2: if (code == LBN_SELCHANGE) List2_Click(); break;
    case IDCANCEL: SendMessageW(hwnd(), WM_CLOSE, 0, 0); break;  // Esc: as the close box
    default: break;
    }
}

void StationEditor::OnControlMouseMove(int id, HWND) {
    if (id == kEdList1) ShowSelectionAsToolTip(list1_);
}

}  // namespace zarvio
