#include "report/text.h"

#include "report/escaped_text.h"

namespace {

std::string NarrowFromWide(UINT codePage, const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::wstring WideFromAnsi(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], size);
    return wide;
}

std::string AnsiFromWide(const std::wstring& text)
{
    return NarrowFromWide(CP_ACP, text);
}

std::string Utf8FromWide(const std::wstring& text)
{
    return NarrowFromWide(CP_UTF8, text);
}

std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::string EscapedLine(const std::string& text)
{
    return AnsiFromWide(EscapeControls(WideFromAnsi(text)));
}

std::string SystemMessage(DWORD error)
{
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string message = length > 0 ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) {
        char code[32];
        wsprintfA(code, "error %lu", error);
        message = code;
    }
    return OneLine(message);
}
