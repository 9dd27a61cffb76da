#pragma once
// How listings reach standard output: tab-separated lines whose fields
// cannot forge a field or a line, or one JSON document.

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

// Tab, line feed, carriage return and backslash as \t, \n, \r and \\.
std::string TsvField(const std::string& text);
// "2021-03-05" for the date text "05.03.2021"; null for anything else.
nlohmann::json IsoDate(const std::string& dateText);
// The document on one line. Texts that are not UTF-8 (names are bytes)
// have their stray bytes replaced by U+FFFD rather than break the format.
void WriteJson(std::FILE* out, const nlohmann::json& document);
