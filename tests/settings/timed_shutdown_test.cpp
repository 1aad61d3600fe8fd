#include "settings_fixture.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

std::wstring Clock(const wchar_t* hhmmss) { return std::wstring(L"定时关机   现在时间是：") + hhmmss; }

}  // namespace

TEST_F(SettingsTest, TheMatchingTickSwitchesOffAndAFailedCallLeavesBothButtonsEnabled) {
    SetClock(6, 0, 0);
    ASSERT_TRUE(window.Open());
    SetFields(L"06", L"06", L"06");
    window.Command2_Click();
    EXPECT_FALSE(SetEnabled());
    EXPECT_TRUE(ResetEnabled());
    EXPECT_TRUE(window.timer1Running());

    TickAt(6, 6, 5);
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_EQ(Text(kSetFrame1), Clock(L"06:06:05"));
    TickAt(6, 6, 6);
    EXPECT_EQ(power.powerOffs, 1);

    // The fake leaves the machine running, as a refused privilege would.
    EXPECT_EQ(window.shutdownState(), ShutdownState::Failed);
    EXPECT_TRUE(SetEnabled());
    EXPECT_TRUE(ResetEnabled());
    EXPECT_FALSE(window.timer1Running());
    EXPECT_EQ(Text(kSetFrame1), Clock(L"06:06:06"));
    // The real timer is stopped: no tick changes the caption any more.
    SetClock(6, 6, 9);
    EXPECT_FALSE(PumpUntil([&] { return Text(kSetFrame1) != Clock(L"06:06:06"); }, 1600));
    EXPECT_EQ(power.powerOffs, 1);

    window.Command2_Click();  // armed again from the failed state
    EXPECT_FALSE(SetEnabled());
    TickAt(6, 6, 6, 7);
    EXPECT_EQ(power.powerOffs, 2);
    window.Command3_Click();
    EXPECT_TRUE(SetEnabled());
    EXPECT_FALSE(ResetEnabled());
    EXPECT_EQ(window.shutdownState(), ShutdownState::Idle);
}

TEST_F(SettingsTest, FieldsAreComparedAsTypedSoSomeNeverMatch) {
    ASSERT_TRUE(window.Open());
    struct Case { const wchar_t *h, *m, *s; WORD th, tm, ts; } cases[] = {
        {L"6", L"6", L"6", 6, 6, 6},          // no leading zeros added
        {L"06 ", L"06", L"06", 6, 6, 6},      // no trimming
        {L"24", L"00", L"00", 0, 0, 0},       // no range folding
        {L"０６", L"06", L"06", 6, 6, 6},     // full-width digits are other characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        SetFields(c.h, c.m, c.s);
        window.Command2_Click();
        TickAt(c.th, c.tm, c.ts);
        EXPECT_EQ(power.powerOffs, 0);
        EXPECT_TRUE(window.timer1Running());
        window.Command3_Click();
    }
}

TEST_F(SettingsTest, SetRightAfterOpeningArmsTheTimeOfOpeningOnTheNextDay) {
    SetClock(9, 5, 7);
    ASSERT_TRUE(window.Open());
    window.Command2_Click();
    TickAt(9, 5, 8);
    TickAt(23, 59, 59);
    TickAt(0, 0, 0, 7);
    TickAt(9, 5, 6, 7);
    EXPECT_EQ(power.powerOffs, 0);
    TickAt(9, 5, 7, 7);
    EXPECT_EQ(power.powerOffs, 1);
}

TEST_F(SettingsTest, ResetThenSetArmsMidnightAndResetKeepsTheLastClockText) {
    SetClock(9, 5, 7);
    ASSERT_TRUE(window.Open());
    window.Command2_Click();
    TickAt(10, 0, 0);
    window.Command3_Click();
    EXPECT_EQ(Text(kSetText1), L"00");
    EXPECT_EQ(Text(kSetText2), L"00");
    EXPECT_EQ(Text(kSetText3), L"00");
    EXPECT_EQ(GetFocus(), item(kSetText1));
    EXPECT_FALSE(window.timer1Running());
    EXPECT_EQ(Text(kSetFrame1), Clock(L"10:00:00")) << "the caption is not restored";

    window.Command2_Click();
    TickAt(23, 59, 59);
    EXPECT_EQ(power.powerOffs, 0);
    TickAt(0, 0, 0, 7);
    EXPECT_EQ(power.powerOffs, 1);
}

TEST_F(SettingsTest, AnEditWhileArmedMovesTheTargetFromTheNextTick) {
    ASSERT_TRUE(window.Open());
    SetFields(L"10", L"00", L"05");
    window.Command2_Click();
    TickAt(10, 0, 4);
    SetWindowTextW(item(kSetText3), L"06");
    TickAt(10, 0, 5);
    EXPECT_EQ(power.powerOffs, 0);
    TickAt(10, 0, 6);
    EXPECT_EQ(power.powerOffs, 1);
}

TEST_F(SettingsTest, ALateTickThatSkipsTheSecondMissesItUntilTheNextDay) {
    ASSERT_TRUE(window.Open());
    SetFields(L"10", L"00", L"05");
    window.Command2_Click();
    TickAt(10, 0, 4);
    TickAt(10, 0, 6);
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_TRUE(window.timer1Running());
    EXPECT_FALSE(SetEnabled());
    TickAt(10, 0, 5, 7);
    EXPECT_EQ(power.powerOffs, 1);
}

TEST_F(SettingsTest, ClosingWhileArmedKeepsTheRealTimerTickingOutOfSight) {
    ASSERT_TRUE(window.Open());
    SetFields(L"11", L"11", L"12");
    window.Command2_Click();
    SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window.hwnd()));
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));

    SetClock(11, 11, 11);
    EXPECT_TRUE(PumpUntil([&] { return Text(kSetFrame1) == Clock(L"11:11:11"); }, 3000));
    EXPECT_EQ(power.powerOffs, 0);
    SetClock(11, 11, 12);
    EXPECT_TRUE(PumpUntil([&] { return power.powerOffs == 1; }, 3000)) << "the hidden window switches off";
    EXPECT_EQ(window.clockText(), L"11:11:12");
}
