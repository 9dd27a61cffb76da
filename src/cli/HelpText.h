#pragma once

#include <string>
// What "tapewren-cli --help" prints.

const char* HelpText();
// The lines of one command from HelpText(): its entries under Commands and
// the options it takes; empty for an unknown command.
std::string CommandHelpText(const std::string& command);
