// A kernel object handle (process, token, snapshot, mutex...) and its one
// owner, which closes it, as RegistryKey owns a registry key.
#pragma once

#include <windows.h>

class OwnedHandle {
public:
    OwnedHandle() = default;
    // Takes over handle; null and INVALID_HANDLE_VALUE both mean none, as
    // Windows answers one or the other for a failure.
    explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
    ~OwnedHandle() { Close(); }

    OwnedHandle(OwnedHandle&& other) noexcept : m_handle(other.Release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.Release();
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const
    {
        return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE;
    }

    // For the functions that hand a new handle back through a pointer:
    // whatever this held is closed first.
    HANDLE* Put()
    {
        Close();
        return &m_handle;
    }

    void Close()
    {
        if (*this) {
            CloseHandle(m_handle);
        }
        m_handle = nullptr;
    }

private:
    HANDLE Release()
    {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

    HANDLE m_handle = nullptr;
};
