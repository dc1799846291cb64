#include "system/file_head.h"

#include "system/owned_handle.h"

#include <windows.h>

std::vector<std::uint8_t> FileHead(const std::wstring& path, size_t bytes)
{
    const OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    std::vector<std::uint8_t> head(bytes);
    DWORD read = 0;
    if (!ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) {
        return {};
    }
    head.resize(read);
    return head;
}
