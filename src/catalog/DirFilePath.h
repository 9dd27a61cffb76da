#pragma once
// Where the directory file of a tape lives: startDirectory + "/" + tape name
// + ".twd". A tape name comes from the tape itself, so one that is empty,
// longer than the ident block holds, "." or "..", or that holds a "/" is
// refused, as is an empty start directory: -1 and path unchanged. 0 on success.

#include <string>

int DirFilePath(const std::string& startDirectory, const std::string& tapeName, std::string& path);
