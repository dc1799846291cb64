// Lines on standard output and standard error that read right wherever they
// go.
#pragma once

#include <windows.h>

#include <string>

// Writes text (ANSI code page) and a line end to STD_OUTPUT_HANDLE or
// STD_ERROR_HANDLE: as wide text to a console, whatever its code page, and
// as UTF-8 to a file or a pipe. Unbuffered, so nothing waits to be flushed.
void WriteLine(DWORD standardHandle, const std::string& text);

// Writes one JSON object (ASCII) and "\n" to standard output, as JSON Lines
// has them, wherever standard output goes.
void WriteJsonLine(const std::string& object);
