#pragma once
// What "tapewren-cli --help" prints.

const char* HelpText();
