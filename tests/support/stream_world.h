// What the ctest fixtures set up outside Wine for the stream tests: generated media, the local
// HTTP(S) server and the real-time PulseAudio sink. Paths come as Unix paths in environment
// variables and are handed out as the Z: paths Wine maps them to.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zarvio::test {

// "/work/x/y" -> "Z:\work\x\y".
std::wstring WinePathOf(const std::string& unixPath);

// The Windows path of a generated media file ("tone_44100_stereo.mp3"); empty when the test
// program runs without the media fixture.
std::wstring MediaPath(const std::wstring& name);
// The bytes of a generated media file; empty when missing.
std::string ReadMedia(const std::wstring& name);

// The local server as its state file (server.json) describes it.
struct StreamServer {
    int httpPort = 0;
    int httpsPort = 0;            // 0 when the server has no TLS listener
    int untrustedHttpsPort = 0;   // TLS with a self-signed certificate nobody trusts
    std::wstring caCertificate;   // Windows path of the test authority's DER certificate
};
std::optional<StreamServer> FindStreamServer();

// "http://127.0.0.1:PORT" + path (path starts with "/"); empty without a server.
std::wstring ServerUrl(const std::wstring& path);
// "https://localhost:PORT" + path; empty without a TLS listener.
std::wstring SecureServerUrl(const std::wstring& path);
// The same on the listener whose certificate is self-signed.
std::wstring UntrustedServerUrl(const std::wstring& path);

}  // namespace zarvio::test
