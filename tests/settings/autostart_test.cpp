// The autostart value in the real registry of the test prefix. Every path written here names
// no existing program, so a value left behind by a crashed run starts nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include "settings/autostart.h"

using namespace zarvio;

namespace {

constexpr wchar_t kPath[] = L"C:\\Program Files\\Zarvio Test\\zarvio.exe";

// Passes everything to the real registry except changes to a hive it refuses.
struct RefusingRegistry : RegistryService {
    RegistryService& real;
    bool refuseMachine = true, refuseUser = false;
    explicit RefusingRegistry(RegistryService& r) : real(r) {}
    bool Refused(RegistryRoot root) const { return root == RegistryRoot::LocalMachine ? refuseMachine : refuseUser; }
    bool SetString(RegistryRoot root, const std::wstring& k, const std::wstring& n, const std::wstring& t) override {
        return !Refused(root) && real.SetString(root, k, n, t);
    }
    bool DeleteValue(RegistryRoot root, const std::wstring& k, const std::wstring& n) override {
        return !Refused(root) && real.DeleteValue(root, k, n);
    }
    std::optional<RegistryValue> QueryValue(RegistryRoot root, const std::wstring& k, const std::wstring& n) override {
        return real.QueryValue(root, k, n);
    }
};

struct RunKeyTest : ::testing::Test {
    Win32Registry registry;
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteKeyValueW(root, kRunSubkey, kAutostartValueName);
    }
    // Writes the value directly, bypassing the code under test.
    static void PutRaw(HKEY root, DWORD type, const void* data, DWORD bytes, const wchar_t* name = kAutostartValueName) {
        ASSERT_EQ(RegSetKeyValueW(root, kRunSubkey, name, type, data, bytes), ERROR_SUCCESS);
    }
    static void PutText(HKEY root, const std::wstring& text) {
        PutRaw(root, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    // The value's bytes exactly as stored (RegQueryValueExW adds no terminator); empty when
    // there is none.
    static std::wstring Raw(HKEY root, DWORD* type = nullptr) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kRunSubkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
        DWORD t = 0, size = 0;
        std::wstring data;
        if (RegQueryValueExW(key, kAutostartValueName, nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
            data.resize((size + 1) / sizeof(wchar_t));
            RegQueryValueExW(key, kAutostartValueName, nullptr, &t, reinterpret_cast<BYTE*>(data.data()), &size);
            data.resize(size / sizeof(wchar_t));
        }
        RegCloseKey(key);
        if (type) *type = t;
        return data;
    }
    std::wstring Read(RegistryRoot root) {
        return GetRegistryString(registry, root, kRunSubkey, kAutostartValueName);
    }
};

}  // namespace

TEST(AutostartPath, TheSeparatorIsAlwaysInsertedAndNothingIsQuoted) {
    EXPECT_EQ(AutostartProgramPath(L"D:\\Radio Apps", L"zarvio"), L"D:\\Radio Apps\\zarvio.exe");
    EXPECT_EQ(AutostartProgramPath(L"C:\\", L"zarvio"), L"C:\\\\zarvio.exe");
}

TEST(AutostartValue, ThisProgramIsNamedByItsFileNameQuotedOrNot) {
    EXPECT_TRUE(NamesThisProgram(kPath, kPath));
    EXPECT_TRUE(NamesThisProgram(L" \"C:\\Program Files\\Zarvio Test\\ZARVIO.EXE\" ", kPath));
    EXPECT_TRUE(NamesThisProgram(L"D:\\moved\\zarvio.exe", kPath)) << "this program from an earlier place";
    EXPECT_FALSE(NamesThisProgram(L"C:\\Tools\\other.exe", kPath));
    EXPECT_FALSE(NamesThisProgram(L"\"C:\\zarvio.exe\" /q", kPath)) << "a command line of arguments is not ours";
    EXPECT_FALSE(NamesThisProgram(L"  ", kPath));
    EXPECT_TRUE(NamesThisPath(L"\"" + std::wstring(kPath) + L"\"", kPath));
    EXPECT_FALSE(NamesThisPath(L"D:\\moved\\zarvio.exe", kPath));
}

TEST_F(RunKeyTest, WriteThenReadGivesTheExactPathStoredUnquotedWithOneZero) {
    EXPECT_TRUE(SetAutostart(registry, kPath, true));
    DWORD type = 0;
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, &type), std::wstring(kPath) + L'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), kPath);
    EXPECT_EQ(ReadAutostart(registry), kPath);
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), L"") << "the machine took it: nothing for the account";

    EXPECT_FALSE(SetAutostart(registry, kPath, false));
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE), L"");
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"");
}

TEST_F(RunKeyTest, OnlyAStringValueCountsAndItEndsAtItsFirstZero) {
    const std::wstring path = kPath;
    const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    for (DWORD type : {REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY}) {
        PutRaw(HKEY_LOCAL_MACHINE, type, path.c_str(), bytes);
        EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"") << "type " << type;
        EXPECT_EQ(ReadAutostart(registry), L"") << "type " << type;
    }
    const DWORD number = 1;
    PutRaw(HKEY_LOCAL_MACHINE, REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"");

    const wchar_t cut[] = L"C:\\a.exe\0tail";
    PutRaw(HKEY_LOCAL_MACHINE, REG_SZ, cut, sizeof(cut));
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"C:\\a.exe");
    // Stored without any zero: the whole text.
    PutRaw(HKEY_LOCAL_MACHINE, REG_SZ, L"C:\\b.exe", 8 * sizeof(wchar_t));
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"C:\\b.exe");
}

TEST_F(RunKeyTest, MissingKeyOrValueReadsEmptyAndDeletingNothingIsSilent) {
    EXPECT_EQ(GetRegistryString(registry, RegistryRoot::LocalMachine, L"Software\\Zarvio No Such Key", L"x"), L"");
    EXPECT_EQ(Read(RegistryRoot::LocalMachine), L"");
    const std::wstring other = L"C:\\other.exe";
    PutRaw(HKEY_LOCAL_MACHINE, REG_SZ, other.c_str(), static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)),
           L"ZarvioTestNeighbour");
    EXPECT_FALSE(SetAutostart(registry, kPath, false));
    wchar_t kept[64] = {};
    DWORD size = sizeof(kept);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kRunSubkey, L"ZarvioTestNeighbour", RRF_RT_REG_SZ, nullptr, kept, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(kept), other) << "the other values of the key stay";
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunSubkey, L"ZarvioTestNeighbour");
}

TEST_F(RunKeyTest, ARefusedMachineWriteFallsBackToTheUsersRunKey) {
    RefusingRegistry limited(registry);
    EXPECT_TRUE(SetAutostart(limited, kPath, true));
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE), L"");
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), std::wstring(kPath) + L'\0');
    EXPECT_EQ(ReadAutostart(registry), kPath);
    EXPECT_FALSE(SetAutostart(limited, kPath, false));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), L"");

    limited.refuseUser = true;
    EXPECT_FALSE(SetAutostart(limited, kPath, true)) << "refused everywhere is not registered";
    EXPECT_EQ(ReadAutostart(registry), L"");
}

TEST_F(RunKeyTest, AMachineValueTheAccountCannotChangeIsReportedAndNotDuplicated) {
    RefusingRegistry limited(registry);
    PutText(HKEY_LOCAL_MACHINE, kPath);
    EXPECT_TRUE(SetAutostart(limited, kPath, true));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), L"") << "the same program is registered already";
    EXPECT_TRUE(SetAutostart(limited, kPath, false)) << "the machine's value could not be removed";
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE), std::wstring(kPath) + L'\0');

    // A machine value for another place does not start this program: register it for the account.
    PutText(HKEY_LOCAL_MACHINE, L"D:\\elsewhere\\zarvio.exe");
    EXPECT_TRUE(SetAutostart(limited, kPath, true));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), std::wstring(kPath) + L'\0');
}

TEST_F(RunKeyTest, AQuotedMachineValueOfThisPathIsNotDuplicatedForTheAccount) {
    RefusingRegistry limited(registry);
    PutText(HKEY_LOCAL_MACHINE, L"\"" + std::wstring(kPath) + L"\"");
    EXPECT_TRUE(SetAutostart(limited, kPath, true));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), L"");
    limited.refuseUser = true;
    PutText(HKEY_LOCAL_MACHINE, L"C:\\Tools\\other.exe");
    EXPECT_FALSE(SetAutostart(limited, kPath, true)) << "another program's value does not register this one";
}

TEST_F(RunKeyTest, AMachineWriteRemovesAnEarlierPerUserRegistration) {
    PutText(HKEY_CURRENT_USER, kPath);
    EXPECT_EQ(ReadAutostart(registry), kPath);
    EXPECT_TRUE(SetAutostart(registry, kPath, true));
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE), std::wstring(kPath) + L'\0');
    EXPECT_EQ(Raw(HKEY_CURRENT_USER), L"");
}
