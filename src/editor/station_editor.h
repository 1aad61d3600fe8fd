// The station editor Form3 ("添加新电台"): adds stations to and deletes them from the two station
// files, with previews of both files side by side.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "stations/station_messages.h"
#include "stations/station_store.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/window_host.h"

namespace zarvio {

enum EditorControl : int {
    kEdFrame1 = 301, kEdLabel1, kEdLabel2, kEdText1, kEdText2, kEdCommand4, kEdCommand1, kEdFrame2,
    kEdCommand3, kEdFrame3, kEdList1, kEdFrame4, kEdList2, kEdCommand2, kEdCheck1, kEdLine1, kEdSearch,
};

inline constexpr wchar_t kUnencodableText[] =
    L"电台名称或者电台网址中含有本系统无法保存的字符（例如韩文或表情符号），请修改后再点“添加”按钮。";
inline constexpr wchar_t kDeleteWriteFailedText[] =
    L"电台文件无法写入，电台没有删除。请检查电台文件是否为只读、是否被其他程序占用、程序所在的文件夹是否允许写入，或者磁盘是否已满。";
inline constexpr wchar_t kFilesChangedText[] = L"电台文件已被更改，电台没有删除。请重新选择要删除的电台。";

// Needs services.messageBox and services.appDir; without services.files it writes the station
// files straight to the file system.
class StationEditor : public Form {
public:
    explicit StationEditor(const Services& services);
    ~StationEditor() override;

    bool Open();  // creates the window (which loads the previews) and shows it
    // With an opener the window gets a button below the previews that opens the station search.
    void SetDirectoryOpener(std::function<void()> open) { openDirectory_ = std::move(open); }

    void Command1_Click();  // Add
    void Command2_Click();  // Refresh
    void Command3_Click();  // Delete, names half
    void Command4_Click();  // Delete, address half
    void Check1_Click();    // the delete lock
    void List1_Click();
    void List2_Click();

    HWND item(int id) const { return Control(id); }

private:
    void BuildControls() override;
    void Form_Load() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnControlMouseMove(int id, HWND control) override;
    void ReportWriteFailure(const wchar_t* text);
    void ReportRefusedDelete(StationChange why);
    void Complain(const wchar_t* text);
    std::optional<std::string> SeenUrl(size_t row) const;

    MessageBoxService& messageBox_;
    FileWriter& files_;
    std::wstring appDir_;
    HWND frame1_ = nullptr, frame2_ = nullptr, frame3_ = nullptr, frame4_ = nullptr;
    HWND text1_ = nullptr, text2_ = nullptr, list1_ = nullptr, list2_ = nullptr;
    HWND command3_ = nullptr, check1_ = nullptr;
    // The bytes of each file's lines as the previews show them: a delete removes a line only
    // while the file still holds exactly these bytes there.
    std::vector<std::string> namesSeen_, urlsSeen_;
    size_t deleteRow_ = 0;          // the row a delete in progress removes
    std::string namesBeforeDelete_;  // the names file as it was, to undo a half delete
    std::function<void()> openDirectory_;
};

// Keeps at most one editor: a command opens it, or shows and activates the open one.
using EditorHost = WindowHost<StationEditor>;

}  // namespace zarvio
