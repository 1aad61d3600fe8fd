#pragma once
#include <string>

namespace zarvio::bench {

// Figures 6 to 8: the stream player on an ICY MP3 stream of the tests' local server (whose
// address is serverBase, "http://127.0.0.1:PORT"), with the generated media in mediaDir.
void RunStreamFigures(const std::wstring& serverBase, const std::wstring& mediaDir, bool quick);

}  // namespace zarvio::bench
