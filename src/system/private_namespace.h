// A private object namespace whose boundary is the Administrators group (at
// high integrity), made by this process, and its one owner, which closes it.
//
// Only a process whose token holds that group, at high integrity or above
// (an elevated administrator's, SYSTEM's), is within the boundary, so no
// other account can make or open one. While it lasts, no other process can
// make one of the same name and boundary; it ends when its maker closes it,
// or when its maker ends, however it ends.
#pragma once

#include <windows.h>

#include <string>

class PrivateNamespace {
public:
    enum class Made { Yes, Exists, Failed };

    PrivateNamespace() = default;
    ~PrivateNamespace() { Close(); }

    PrivateNamespace(const PrivateNamespace&) = delete;
    PrivateNamespace& operator=(const PrivateNamespace&) = delete;

    // Whether this Windows makes private namespaces at all: the functions
    // are there and make a boundary (Wine 8's don't).
    static bool Available();

    // Makes the namespace prefix with the security descriptor security
    // (SDDL), closing whatever this held. Exists while another process has
    // made it; Failed, with error, for anything else.
    Made Make(const std::wstring& prefix, const std::wstring& security, DWORD& error);
    void Close();

private:
    HANDLE m_boundary = nullptr;
    HANDLE m_namespace = nullptr;
};
