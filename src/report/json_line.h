// One JSON object on one line, for tools that read the program's output
// (JSON Lines). Written in ASCII, every other character escaped as \uXXXX:
// Windows PowerShell reads a program's output in the console's code page,
// so only ASCII reads the same in every shell and code page. Pure: no I/O,
// no Windows.
#pragma once

#include <string>

class JsonLine {
public:
    // Each adds a field, in the order added. Text is UTF-16 as stored,
    // written so that it reads back the same, also where it is no valid
    // UTF-16 (a lone surrogate is written as its own \uXXXX).
    JsonLine& Text(const char* field, const std::wstring& value);
    JsonLine& Null(const char* field);
    JsonLine& Boolean(const char* field, bool value);
    JsonLine& Number(const char* field, long long value);

    // The object, without a line end.
    std::string Object() const { return m_text + "}"; }

private:
    void Name(const char* field);

    std::string m_text = "{";
};

// An object that starts as each of the program's objects does: with the
// user's account name (null where there is none, as for the default
// profile) and SID (empty where there is none).
JsonLine UserFields(const std::wstring& name, const std::wstring& sid);

// text as a JSON string, quotes included, in ASCII.
std::string JsonString(const std::wstring& text);
