#pragma once

#include <string>

// The text of Excel's OPEN, OPEN1, OPEN2, ... values, one per installed
// add-in: the file, perhaps after flags ("/R" read-only, "/F"), quoted or
// not; "/A <ProgID>" names an automation add-in instead of a file.

// "OPEN" or "OPEN<n>", in any case.
bool IsOpenValueName(const std::wstring& name);
// The name of the value at this place in the list: OPEN, OPEN1, OPEN2, ...
std::wstring OpenValueName(size_t place);

// The file the text names, as written (a bare name stays bare); empty when
// it names no file.
std::wstring FileNamedBy(const std::wstring& text);

// What Excel writes for an add-in it installs: the full path, quoted when it
// holds a blank, after "/R " for an .xll.
std::wstring OpenTextFor(const std::wstring& path);
