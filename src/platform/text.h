// Conversions between the program's wide strings and the system ANSI code page of its text files.
#pragma once
#include <string>
#include <string_view>

namespace zarvio {

// Decodes bytes of the system ANSI code page; bytes it does not define become its default
// character.
std::wstring FromAnsi(std::string_view bytes);
// The same, appended to out: a caller that builds many texts in one reused buffer (the station
// list, 32,767 lines) makes no string of its own per text.
void AppendFromAnsi(std::wstring& out, std::string_view bytes);

// Encodes into the system ANSI code page. Characters the code page lacks become '?';
// use CanEncodeAnsi first where silently changed text would be wrong.
std::string ToAnsi(std::wstring_view text);

// True when every character of text survives the round trip through the ANSI code page.
bool CanEncodeAnsi(std::wstring_view text);

// UTF-8, as the network speaks it (playlists, addresses, ID3 text). Invalid bytes become
// replacement characters.
std::wstring FromUtf8(std::string_view bytes);
std::string ToUtf8(std::wstring_view text);
// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF):
// a title that is not is taken for text of the ANSI code page.
bool IsValidUtf8(std::string_view bytes);

std::wstring ToLower(std::wstring_view text);
// Upper case by the platform's rules, which cover letters beyond ASCII (full-width, Greek, ...).
std::wstring ToUpper(std::wstring_view text);
std::wstring Trim(std::wstring_view text);

}  // namespace zarvio
