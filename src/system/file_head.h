// The first bytes of a file, for telling what kind of file it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Up to bytes bytes from the start of the file at path; empty when it can't
// be read. The file is opened for reading only, shared with any writer.
std::vector<std::uint8_t> FileHead(const std::wstring& path, size_t bytes);
