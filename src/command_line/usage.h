// How to call the program.
#pragma once

#include <string>

// The command line in brief, for a usage error's box.
std::string ShortUsage();

// Everything /? shows: the switches, the exit statuses and the version.
std::string FullUsage();
