#pragma once
// Text inside the program is UTF-8. The simulator's files and its chat are Windows-1252 (one byte
// per character); these convert at those borders.

#include <string>
#include <string_view>

namespace corvane {

// Windows-1252 bytes to UTF-8. The five bytes Windows-1252 leaves undefined map to the C1 controls
// of the same value, so every byte string survives a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; a character the code page lacks, or a malformed UTF-8 byte, becomes '?'.
std::string Utf8ToCp1252(std::string_view text);

// ASCII letters only; other bytes are left as they are.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Comparisons that ignore the case of ASCII letters, without building lower-case copies.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool ContainsIgnoreCase(std::string_view text, std::string_view part);

// Blanks (space and tab) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace corvane
