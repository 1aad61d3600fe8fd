// The station search: the directory's answers read as untrusted input, the servers found and
// failed over, and the real window against a local stand-in of the directory
// (directory_server.py) whose stations play on the tests' stream server.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <set>

#include "app/main_window.h"
#include "directory/directory_requests.h"
#include "directory/directory_window.h"
#include "directory/station_answers.h"
#include "editor/station_editor.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"
#include "platform/version.h"
#include "player/media_router.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/session/stream_player.h"
#include "player/stream/transport/winsock_http10.h"
#include "support/fake_media_player.h"
#include "support/fake_services.h"
#include "support/fake_stream_parts.h"
#include "support/keyboard.h"
#include "support/message_pump.h"
#include "support/stream_world.h"
#include "support/temp_dir.h"
#include "support/tone_checks.h"

using namespace zarvio;
using namespace zarvio::directory;
using namespace zarvio::test;

namespace {

const std::string kFallback = kFallbackServer;

// ---- The answers and the requests: plain logic ------------------------------------------------

TEST(DirectoryAnswers, StationsKeepWhatCanBeShownAndSkipTheRest) {
    const StationsAnswer a = ParseStations(R"([
        {"stationuuid":"a","name":" Best\r\nRadio ","url":"http://x/list.pls","url_resolved":"http://x/live",
         "country":"Austria","codec":"MP3","bitrate":128,"clickcount":42,"lastcheckok":1,"geo_lat":null,
         "homepage":"http://x/","extra":{"deep":[1,{"x":2}]}},
        {"name":null,"url":"http://n/"},
        {"name":"No address","url_resolved":""},
        {"name":"Huge","url":"http://y/","url_resolved":"","bitrate":"320","clickcount":1e300},
        {"name":"Wrong types","url":"http://z/","url_resolved":7,"country":["x"],"codec":null,"bitrate":-5,
         "clickcount":"many","stationuuid":{}},
        {"name":"Checked broken","url":"http://b/","lastcheckok":0},
        "text", 12, null, []
    ])");
    ASSERT_EQ(a.error, AnswerError::None);
    ASSERT_EQ(a.stations.size(), 3u);
    EXPECT_EQ(a.skipped, 7u);
    const DirectoryStation& best = a.stations[0];
    EXPECT_EQ(best.name, "Best  Radio") << "one line, no blanks at the ends";
    EXPECT_EQ(best.url, "http://x/live") << "the resolved address wins";
    EXPECT_EQ(best.uuid, "a");
    EXPECT_EQ(best.country, "Austria");
    EXPECT_EQ(best.codec, "MP3");
    EXPECT_EQ(best.bitrate, 128);
    EXPECT_EQ(best.clickCount, 42);
    EXPECT_EQ(a.stations[1].url, "http://y/") << "an empty resolved address leaves the user's";
    EXPECT_EQ(a.stations[1].bitrate, 320);
    EXPECT_GT(a.stations[1].clickCount, 1000000000) << "a huge count stays huge, without overflow";
    const DirectoryStation& wrong = a.stations[2];
    EXPECT_EQ(wrong.url, "http://z/");
    EXPECT_EQ(wrong.country, "");
    EXPECT_EQ(wrong.codec, "");
    EXPECT_EQ(wrong.bitrate, 0);
    EXPECT_EQ(wrong.clickCount, 0);
    EXPECT_EQ(wrong.uuid, "");

    // One broken name costs nothing but its own bad bytes.
    const StationsAnswer utf = ParseStations("[{\"name\":\"Caf\xE9 \xC3\xA9\xF0\x9F\",\"url\":\"http://c/\"}]");
    ASSERT_EQ(utf.stations.size(), 1u);
    EXPECT_EQ(FromUtf8(utf.stations[0].name), L"Caf\uFFFD \u00E9\uFFFD\uFFFD");

    for (const std::string& bad : {std::string(R"([{"name":"x","url":)"), std::string("{}"), std::string(""),
                                   std::string("<html>503</html>"), std::string("[1] [2]")})
        EXPECT_EQ(ParseStations(bad).error, AnswerError::Malformed) << bad;
    EXPECT_EQ(ParseStations(std::string(64, '[') + std::string(64, ']')).error, AnswerError::TooLarge);
    std::string huge = "[" + std::string(kMaxAnswerBytes, ' ') + "]";
    EXPECT_EQ(ParseStations(huge).error, AnswerError::TooLarge);

    const CountriesAnswer c = ParseCountries(
        R"([{"name":"Germany","stationcount":3},{"name":"Austria"},{"name":"Germany"},{"name":""},{"name":5},7])");
    EXPECT_EQ(c.names, (std::vector<std::string>{"Austria", "Germany"}));
    EXPECT_EQ(ParseCountries("nonsense").error, AnswerError::Malformed);
}

TEST(DirectoryRequests, AskTheDocumentedCallsAndKeepAddressesStorable) {
    EXPECT_EQ(StationSearchPath({"中国", "", "rock&roll", 200}),
              "/json/stations/search?name=%E4%B8%AD%E5%9B%BD&tag=rock%26roll&order=clickcount&reverse=true"
              "&hidebroken=true&limit=100&offset=200");
    EXPECT_EQ(StationSearchPath({}), "/json/stations/search?order=clickcount&reverse=true&hidebroken=true&limit=100&offset=0");
    EXPECT_EQ(ClickPath("9617a958-0601-11e8-ae97-52543be04c81"), "/json/url/9617a958-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(ClickPath("../x y"), "/json/url/..%2Fx%20y");
    EXPECT_EQ(EncodeAddress("http://h/电 台?a=1&b=%41\r\n"), "http://h/%E7%94%B5%20%E5%8F%B0?a=1&b=%41%0D%0A");

    EXPECT_EQ(ServersOfIni("\xEF\xBB\xBF[directory]\r\nserver = http://127.0.0.1:8080/\r\nserver=ftp://x\r\n"
                           "; a note\r\nSERVER=https://mirror.example\nname=http://no\n"),
              (std::vector<std::string>{"http://127.0.0.1:8080", "https://mirror.example"}));

    // Each SRV host once, over https, in an order that changes with the seed; the fallback last.
    const std::vector<std::string> hosts{"de1.api.radio-browser.info.", "NL1.api.radio-browser.info",
                                         "evil.example/path", "de1.api.radio-browser.info", "x:1"};
    std::set<std::vector<std::string>> orders;
    for (uint32_t seed = 0; seed < 20; ++seed) {
        const std::vector<std::string> order = ServerOrder(hosts, seed);
        ASSERT_EQ(order.size(), 3u);
        EXPECT_EQ(order.back(), kFallback);
        EXPECT_EQ((std::set<std::string>{order[0], order[1]}),
                  (std::set<std::string>{"https://de1.api.radio-browser.info", "https://nl1.api.radio-browser.info"}));
        orders.insert(order);
    }
    EXPECT_EQ(orders.size(), 2u) << "both orders occur";
    EXPECT_EQ(ServerOrder({}, 1), std::vector<std::string>{kFallback});
}

// ---- The servers and the network: the local stand-in ----------------------------------------

struct LocalDirectory {
    int port = 0, refusedPort = 0;
};

int IntAfter(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? 0 : std::atoi(json.c_str() + at + key.size() + 3);
}

std::optional<LocalDirectory> FindLocalDirectory() {
    const char* state = std::getenv("ZARVIO_DIRECTORY_SERVER");
    if (!state) return std::nullopt;
    const std::string json = ReadBytes(WinePathOf(state));
    LocalDirectory d{IntAfter(json, "port"), IntAfter(json, "refused_port")};
    if (d.port == 0) return std::nullopt;
    return d;
}

// The stand-in's request log: {"requests": [{"path": ..., "agent": ...}, ...]}.
std::string DirectoryLog(const LocalDirectory& d) {
    stream::WinsockHttp10Transport transport;
    stream::Failure failure;
    const auto got = stream::FetchWhole(transport, "http://127.0.0.1:" + std::to_string(d.port) + "/log",
                                        std::nullopt, std::nullopt, 64 << 20, failure);
    return got ? std::string(got->bytes.begin(), got->bytes.end()) : std::string();
}

struct FakeResolver : SrvResolver {
    int calls = 0;
    std::vector<std::string> Targets(const std::wstring& name) override {
        ++calls;
        EXPECT_EQ(name, L"_api._tcp.radio-browser.info");
        return {"a.example", "b.example"};
    }
};

struct DirectoryWorld : ::testing::Test {
    TempDir dir;
    FakeResolver resolver;  // asked by nothing while a directory.ini names the servers
    LocalDirectory server;

    void SetUp() override {
        const auto found = FindLocalDirectory();
        ASSERT_TRUE(found) << "the directory stand-in is not running";
        server = *found;
    }
    std::string Base(int port, const std::string& prefix = "") const {
        return "http://127.0.0.1:" + std::to_string(port) + prefix;
    }
    void NameServers(const std::vector<std::string>& servers) {
        std::string ini = "[directory]\r\n";
        for (const auto& s : servers) ini += "server=" + s + "\r\n";
        WriteBytes(dir.File(kServersFileName), ini);
    }
};

TEST_F(DirectoryWorld, ServersComeFromTheIniOrTheSrvRecordAndTheOneThatAnsweredGoesFirst) {
    DirectoryServers fromDns(dir.path(), &resolver, 7);
    const std::vector<std::string> order = fromDns.Ordered();
    EXPECT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), kFallback);
    (void)fromDns.Ordered();
    EXPECT_EQ(resolver.calls, 1) << "one DNS query a run";
    fromDns.Answered(kFallback);
    EXPECT_EQ(fromDns.Ordered().front(), kFallback);

    NameServers({Base(server.refusedPort), Base(server.port)});
    resolver.calls = 0;
    DirectoryServers fromIni(dir.path(), &resolver, 7);
    EXPECT_EQ(fromIni.Ordered(), (std::vector<std::string>{Base(server.refusedPort), Base(server.port)}));
    EXPECT_EQ(resolver.calls, 0) << "with directory.ini the program asks no one else";

    // A server that refuses, then one that answers: the search succeeds and the second is asked
    // first from then on.
    auto fetcher = CreateDirectoryFetcher();
    DirectoryClient client(fromIni, *fetcher);
    const SearchResult found = client.Search({"klassik", "", "", 0});
    ASSERT_EQ(found.failure, L"");
    ASSERT_EQ(found.answer.stations.size(), 1u);
    EXPECT_EQ(found.answer.stations[0].name, "Klassik Radio");
    EXPECT_EQ(fromIni.Ordered().front(), Base(server.port));
    const std::string log = DirectoryLog(server);
    EXPECT_NE(log.find(R"({"path": "/json/stations/search?name=klassik&order=clickcount&reverse=true&hidebroken=true)"
                       R"(&limit=100&offset=0", "agent": "Zarvio/)" ZARVIO_VERSION_TEXT "\"}"),
              std::string::npos)
        << log.substr(0, 600);
}

TEST_F(DirectoryWorld, EveryServerFailingGivesTheLastReason) {
    struct Case {
        std::vector<std::string> servers;
        std::wstring reason;
    };
    const Case cases[] = {
        {{Base(server.refusedPort)}, L"服务器拒绝连接"},
        {{Base(server.refusedPort), Base(server.port, "/broken")}, kMalformedReason},
        {{Base(server.port, "/nothing")}, L"HTTP 404"},
    };
    for (const Case& c : cases) {
        NameServers(c.servers);
        DirectoryServers servers(dir.path(), &resolver, 1);
        auto fetcher = CreateDirectoryFetcher();
        DirectoryClient client(servers, *fetcher);
        EXPECT_EQ(client.Search({}).failure, c.reason) << c.servers.back();
        EXPECT_EQ(client.Countries().failure, c.reason);
    }
    EXPECT_EQ(resolver.calls, 0);
}

// ---- The window -------------------------------------------------------------------------------

struct DirectoryWindowTest : DirectoryWorld, FakeServiceSet {
    std::vector<std::pair<std::wstring, std::wstring>> tried;
    std::vector<size_t> added;
    std::unique_ptr<DirectoryHost> host;

    DirectoryWindow& OpenWindow(const std::string& prefix = "") {
        NameServers({Base(server.port, prefix)});
        DirectoryLinks links;
        links.tryStation = [this](const std::wstring& n, const std::wstring& u) { tried.emplace_back(n, u); };
        links.stationAdded = [this](size_t i) { added.push_back(i); };
        links.resolver = &resolver;
        host = std::make_unique<DirectoryHost>(Make(dir.path()), links, 1);
        host->Open();
        DirectoryWindow* w = host->current();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    void TearDown() override {
        host.reset();
        PumpFor(50);
    }
    static bool Found(DirectoryWindow& w) { return w.StatusText().rfind(L"找到", 0) == 0; }
    static bool Ended(DirectoryWindow& w) { return !w.Waiting() && w.StatusText() != kSearchingText; }
};

TEST_F(DirectoryWindowTest, ASearchShowsThePopularFirstAndTheKeyboardDrivesIt) {
    DirectoryWindow& w = OpenWindow();
    EXPECT_EQ(WindowText(w.hwnd()), L"电台搜索");
    HWND country = w.item(kDirCountry);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(country, CB_GETCOUNT, 0, 0) == 3; }, 15000))
        << "the directory's countries fill the list";
    wchar_t first[64] = {};
    SendMessageW(country, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"Austria");

    // The window says at once that it searches, and waits for nothing.
    w.Search_Click();
    EXPECT_EQ(w.StatusText(), L"正在搜索...");
    ASSERT_TRUE(PumpUntil([&] { return Found(w); }, 15000)) << ToUtf8(w.StatusText());
    EXPECT_EQ(w.StatusText(), L"找到 5 个电台") << "the broken one hidden, two without name or address skipped";
    ASSERT_EQ(w.RowCount(), 5);
    EXPECT_EQ(w.RowTexts(0), (std::vector<std::wstring>{L"中国之声", L"China", L"MP3", L"128 kbps", L"5000"}));
    EXPECT_EQ(w.RowTexts(1)[0], L"Jazz 电台");
    EXPECT_EQ(w.RowTexts(2)[0], L"Smile \U0001F600 FM");
    EXPECT_EQ(w.RowTexts(3), (std::vector<std::wstring>{L"Klassik Radio", L"Austria", L"MP3", L"192 kbps", L"1000"}));
    EXPECT_EQ(w.RowTexts(4), (std::vector<std::wstring>{L"Odd Fields", L"", L"", L"", L"10"}));
    EXPECT_FALSE(IsWindowEnabled(w.item(kDirMore))) << "a short page is the last";

    // Enter in a box searches; a country picked from the list narrows the search.
    SendMessageW(country, CB_SETCURSEL, 0, 0);  // Austria
    Activate(w.hwnd());
    SetFocus(w.item(kDirName));
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return w.StatusText() == L"找到 1 个电台"; }, 15000)) << ToUtf8(w.StatusText());
    EXPECT_EQ(w.RowTexts(0)[0], L"Klassik Radio");

    // Enter in the list tries the selected row (the first after a search) with its resolved address.
    SetWindowTextW(country, L"");
    w.Search_Click();
    ASSERT_TRUE(PumpUntil([&] { return Found(w); }, 15000));
    SetFocus(w.results());
    PressKey(VK_RETURN);
    ASSERT_EQ(tried.size(), 1u);
    EXPECT_EQ(tried[0].first, L"中国之声");
    EXPECT_NE(tried[0].second.find(L"/stream?file=tone_44100_stereo.mp3"), std::wstring::npos) << ToUtf8(tried[0].second);

    PressKey(VK_ESCAPE);
    EXPECT_EQ(host->current(), nullptr) << "Esc closes the window";
}

TEST_F(DirectoryWindowTest, PagesComeOneAfterAnotherAndTenThousandStationsAreShown) {
    DirectoryWindow& w = OpenWindow("/huge");
    w.Search_Click();
    ASSERT_TRUE(PumpUntil([&] { return Found(w); }, 15000));
    EXPECT_EQ(w.RowCount(), 100);
    ASSERT_TRUE(IsWindowEnabled(w.item(kDirMore)));
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kDirMore, BN_CLICKED), reinterpret_cast<LPARAM>(w.item(kDirMore)));
    ASSERT_TRUE(PumpUntil([&] { return w.StatusText() == L"找到 200 个电台"; }, 15000)) << ToUtf8(w.StatusText());
    EXPECT_EQ(w.RowCount(), 200);
    EXPECT_EQ(w.RowTexts(100)[0], L"Station 00100");
    EXPECT_NE(DirectoryLog(server).find("/huge/json/stations/search?order=clickcount&reverse=true&hidebroken=true"
                                        "&limit=100&offset=100"),
              std::string::npos);

    DirectoryWindow& all = OpenWindow("/huge_all");
    all.Search_Click();
    ASSERT_TRUE(PumpUntil([&] { return Ended(all); }, 60000));
    EXPECT_EQ(all.StatusText(), L"找到 10000 个电台");
    EXPECT_EQ(all.RowCount(), 10000);
    EXPECT_EQ(all.RowTexts(9999)[0], L"Station 09999");
}

TEST_F(DirectoryWindowTest, FailuresAreToldInTheStatusWithTheReason) {
    for (const auto& [prefix, text] : {std::pair<std::string, std::wstring>{"/broken", L"无法连接电台目录（目录回答无效）"},
                                       {"/nothing", L"无法连接电台目录（HTTP 404）"}}) {
        DirectoryWindow& w = OpenWindow(prefix);
        w.Search_Click();
        ASSERT_TRUE(PumpUntil([&] { return Ended(w); }, 15000));
        EXPECT_EQ(w.StatusText(), text);
        EXPECT_EQ(w.RowCount(), 0);
        EXPECT_EQ(SendMessageW(w.item(kDirCountry), CB_GETCOUNT, 0, 0), 0);
    }
}

TEST_F(DirectoryWindowTest, ANewSearchOrAClosedWindowDropsTheOldAnswer) {
    DirectoryWindow& w = OpenWindow("/slow");
    SetWindowTextW(w.item(kDirName), L"Klassik");
    w.Search_Click();
    SetWindowTextW(w.item(kDirName), L"Jazz");
    const ULONGLONG at = GetTickCount64();
    w.Search_Click();
    EXPECT_LT(GetTickCount64() - at, 500u) << "abandoning a search waits for nothing";
    ASSERT_TRUE(PumpUntil([&] { return Found(w); }, 20000));
    PumpFor(1000);
    EXPECT_EQ(w.StatusText(), L"找到 1 个电台");
    ASSERT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.RowTexts(0)[0], L"Jazz 电台");

    // Closed while a search runs: what comes late finds no window and changes nothing.
    w.Search_Click();
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(host->current(), nullptr);
    PumpFor(5000);
}

// ---- End to end: the real main window, the program's player, the station files ---------------

struct EndToEnd : DirectoryWindowTest {
    std::shared_ptr<SinkLog> sink = std::make_shared<SinkLog>();
    std::unique_ptr<stream::StreamPlayer> streams;
    FakeMediaPlayer component{L""};
    std::unique_ptr<MediaRouter> router;
    std::unique_ptr<MainWindow> main;

    void SetUp() override {
        DirectoryWindowTest::SetUp();
        WriteBytes(dir.File(L"zarvtai.mdb"), "Local\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://127.0.0.1:9/none\r\n");
        NameServers({Base(server.port)});
        stream::StreamParts parts;
        auto s = sink;
        parts.sink = [s] { return std::make_unique<ClockedSink>(s, 1.0); };
        streams = std::make_unique<stream::StreamPlayer>(kDefaultStreamUrl, parts);
        router = std::make_unique<MediaRouter>(*streams, component);
        // Wired as the program wires it.
        DirectoryLinks links;
        links.tryStation = [this](const std::wstring& n, const std::wstring& u) { main->PlayStation(n, u); };
        links.stationAdded = [this](size_t i) { main->ShowAddedStation(i); };
        links.resolver = &resolver;
        host = std::make_unique<DirectoryHost>(Make(dir.path(), router.get()), links, 1);
        WindowOpeners openers;
        openers.directory = [this] { host->Open(); };
        main = std::make_unique<MainWindow>(Make(dir.path(), router.get()), std::move(openers));
        ASSERT_TRUE(main->Start());
    }
    void TearDown() override {
        host.reset();
        main.reset();
        router.reset();
        streams.reset();
        PumpFor(50);
    }
    static void CtrlF() {
        BYTE keys[256] = {};
        (void)GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        (void)SetKeyboardState(keys);
        PressKey('F');
        keys[VK_CONTROL] = 0;
        (void)SetKeyboardState(keys);
    }
    void Select(DirectoryWindow& w, int row) {
        ListView_SetItemState(w.results(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
};

TEST_F(EndToEnd, FindTryAndAddAStation) {
    Activate(main->hwnd());
    SetFocus(main->list1());
    CtrlF();
    DirectoryWindow* opened = host->current();
    ASSERT_NE(opened, nullptr) << "Ctrl+F in the main window opens the station search";
    DirectoryWindow& w = *opened;
    w.Search_Click();
    ASSERT_TRUE(PumpUntil([&] { return Found(w); }, 15000));

    // Trying plays through the program's player as a choice in the main list does.
    Select(w, 0);
    w.Try_Click();
    EXPECT_EQ(WindowText(main->hwnd()), L"你选择:中国之声");
    ASSERT_TRUE(PumpUntil([&] { return PanelText(main->statusBar(), 0) == L"播放状态：正在播放..."; }, 20000))
        << ToUtf8(PanelText(main->statusBar(), 0));
    EXPECT_EQ(main->nowPlaying().station(), L"中国之声");
    EXPECT_TRUE(PumpUntil([&] { return tray.tip == L"Zarvio - 中国之声 - Morning News"; }, 20000)) << ToUtf8(tray.tip);
    ASSERT_TRUE(PumpUntil([&] { return sink->writtenFrames() > 2 * 44100; }, 20000)) << "two seconds at the device";
    {
        std::lock_guard lock(sink->mutex);
        const stream::PcmFormat f = sink->opened.back();
        const size_t rate = static_cast<size_t>(f.sampleRate);
        ExpectTheTestTone(PcmView{sink->samples, f.channels, f.sampleRate}.Slice(rate / 2, rate), 2);
    }
    // The directory heard of the play, by its click call with the station's id.
    ASSERT_TRUE(PumpUntil([&] {
        return DirectoryLog(server).find(R"("/json/url/11111111-0000-0000-0000-000000000001", "agent": "Zarvio/)") !=
               std::string::npos;
    }, 15000));
    main->Command4_Click();

    // Adding: the pair goes into the files in code page 936, the address escaped, and the main
    // list shows the new station selected.
    Select(w, 1);
    w.Add_Click();
    EXPECT_EQ(box.texts.back(), L"添加成功");
    const std::string names = ReadBytes(dir.File(L"zarvtai.mdb"));
    EXPECT_EQ(names, "Local\r\nJazz \xB5\xE7\xCC\xA8\r\n");
    const std::string urls = ReadBytes(dir.File(L"zarvlist.dll"));
    EXPECT_NE(urls.find("\r\nhttp://127.0.0.1:"), std::string::npos);
    EXPECT_NE(urls.find("/stream?file=tone_44100_stereo.mp3&name=%E7%88%B5%E5%A3%AB\r\n"), std::string::npos) << urls;
    EXPECT_EQ(ListCount(main->list1()), 2);
    EXPECT_EQ(ListIndex(main->list1()), 1);
    EXPECT_EQ(ListText(main->list1(), 1), L"002 \u2605 Jazz 电台");

    // A name the code page cannot hold is never stored with '?': it waits in a box for the
    // user's correction, and only the corrected name is stored.
    Select(w, 2);
    w.Add_Click();
    EXPECT_EQ(box.texts.back(), L"电台名称含有无法保存的字符，请修改名称后再添加。");
    EXPECT_EQ(ReadBytes(dir.File(L"zarvtai.mdb")), names);
    HWND fix = w.item(kDirFixName);
    ASSERT_TRUE(IsWindowVisible(fix));
    EXPECT_EQ(WindowText(fix), L"Smile \U0001F600 FM");
    EXPECT_EQ(GetFocus(), fix);
    SetWindowTextW(fix, L"Smile FM");
    PressKey(VK_RETURN);  // Enter in the box adds
    EXPECT_EQ(ReadBytes(dir.File(L"zarvtai.mdb")), names + "Smile FM\r\n");
    EXPECT_FALSE(IsWindowVisible(fix));
    EXPECT_EQ(ListText(main->list1(), ListIndex(main->list1())), L"003 \u2605 Smile FM");
}

TEST_F(EndToEnd, TheTrayMenuAndTheEditorOpenTheSearchToo) {
    main->RunMenuCommand(kMenuDirectory);
    ASSERT_NE(host->current(), nullptr);
    SendMessageW(host->current()->hwnd(), WM_CLOSE, 0, 0);
    ASSERT_EQ(host->current(), nullptr);

    StationEditor editor(Make(dir.path()));
    editor.SetDirectoryOpener([this] { host->Open(); });
    ASSERT_TRUE(editor.Open());
    HWND button = editor.item(kEdSearch);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(WindowText(button), L"搜索电台(&F)...");
    SendMessageW(editor.hwnd(), WM_COMMAND, MAKEWPARAM(kEdSearch, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_NE(host->current(), nullptr);
}

}  // namespace
