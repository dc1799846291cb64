// Whether an XLL can load in the Excel that is there: a 64-bit XLL never
// loads in 32-bit Excel, nor a 32-bit one in 64-bit Excel, and Excel then
// says little or nothing. An image's bitness is its PE header's machine.
// Pure: no I/O, no Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// How much of an image's start ImageBits needs to see, at most: the DOS
// header points at the PE header within it in every image a linker makes.
constexpr size_t kImageHeadBytes = 4096;

// 32 or 64 for a PE image's start (x86: 32; x64 and ARM64: 64); nothing for
// anything else, or a start too short to tell.
std::optional<int> ImageBits(const std::vector<std::uint8_t>& head);
