#pragma once
// How names reach standard output and the terminal: tab-separated lines
// whose fields cannot forge a field or a line, one JSON document, and
// human-readable text in which no control character of a name can move the
// cursor, change colours or ring the bell.

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

// Tab, line feed, carriage return and backslash as \t, \n, \r and \\; any
// other control character (C0, DEL, and C1 in UTF-8) as \xHH per byte.
std::string TsvField(const std::string& text);
// Control characters as TsvField writes them; lineBreaks: line feeds and
// tabs stay (messages of several lines). Backslashes stay as they are.
std::string TerminalText(const std::string& text, bool lineBreaks);
// The same, appended to out: nothing is allocated while out has room.
void AppendTerminalText(std::string& out, const std::string& text, bool lineBreaks);
// "2021-03-05" for the date text "05.03.2021"; null for anything else,
// impossible dates ("31.02.2026") included.
nlohmann::json IsoDate(const std::string& dateText);
// The document on one line. Texts that are not UTF-8 (names are bytes)
// have their stray bytes replaced by U+FFFD rather than break the format.
void WriteJson(std::FILE* out, const nlohmann::json& document);
