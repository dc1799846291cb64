// What one OPEN... value under Excel's Options key says: the flags, and the
// add-in file or automation add-in it names. Pure: no I/O, no Windows.
#pragma once

#include <string>
#include <vector>

struct OpenValue {
    std::vector<std::wstring> flags;  // "/R", "/F"... as stored
    bool automation = false;          // "/A <ProgID>": never a file
    std::wstring progId;              // automation add-ins only
    std::wstring file;                // as stored, without its quotes; empty when none
};

// Reads data as Excel writes it and as installers have written it: flags
// separated by blanks, then the file, quoted or not, with stray blanks
// anywhere around them.
OpenValue ParseOpenValue(const std::wstring& data);
