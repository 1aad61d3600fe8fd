#include "support/stream_world.h"

#include <windows.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace zarvio::test {
namespace {

std::string Environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// The integer after "\"key\":" in a flat JSON object; 0 when absent.
int JsonInt(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return 0;
    size_t p = json.find(':', at);
    if (p == std::string::npos) return 0;
    ++p;
    while (p < json.size() && json[p] == ' ') ++p;
    return std::atoi(json.c_str() + p);
}

// The string after "\"key\":" in a flat JSON object (no escapes in our paths); empty when absent.
std::string JsonString(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return {};
    const size_t open = json.find('"', json.find(':', at));
    if (open == std::string::npos) return {};
    const size_t close = json.find('"', open + 1);
    if (close == std::string::npos) return {};
    return json.substr(open + 1, close - open - 1);
}

}  // namespace

std::wstring WinePathOf(const std::string& unixPath) {
    if (unixPath.empty()) return {};
    std::wstring out = L"Z:";
    for (char c : unixPath) out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

std::wstring MediaPath(const std::wstring& name) {
    const std::wstring dir = WinePathOf(Environment("ZARVIO_MEDIA_DIR"));
    return dir.empty() ? std::wstring() : dir + L"\\" + name;
}

std::string ReadMedia(const std::wstring& name) {
    const std::wstring path = MediaPath(name);
    return path.empty() ? std::string() : ReadBytes(path);
}

std::optional<StreamServer> FindStreamServer() {
    const std::wstring state = WinePathOf(Environment("ZARVIO_STREAM_SERVER"));
    if (state.empty()) return std::nullopt;
    const std::string json = ReadBytes(state);
    StreamServer s;
    s.httpPort = JsonInt(json, "http_port");
    s.httpsPort = JsonInt(json, "https_port");
    s.untrustedHttpsPort = JsonInt(json, "untrusted_https_port");
    s.caCertificate = WinePathOf(JsonString(json, "ca_der"));
    if (s.httpPort == 0) return std::nullopt;
    return s;
}

std::wstring ServerUrl(const std::wstring& path) {
    const auto s = FindStreamServer();
    return s ? L"http://127.0.0.1:" + std::to_wstring(s->httpPort) + path : std::wstring();
}

std::wstring SecureServerUrl(const std::wstring& path) {
    const auto s = FindStreamServer();
    return s && s->httpsPort ? L"https://localhost:" + std::to_wstring(s->httpsPort) + path : std::wstring();
}

std::wstring UntrustedServerUrl(const std::wstring& path) {
    const auto s = FindStreamServer();
    return s && s->untrustedHttpsPort ? L"https://localhost:" + std::to_wstring(s->untrustedHttpsPort) + path
                                      : std::wstring();
}

}  // namespace zarvio::test
