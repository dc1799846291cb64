#include "system/private_namespace.h"

#include <sddl.h>

namespace {

constexpr wchar_t kBoundaryName[] = L"uninstall-addin";
constexpr ULONG kDestroy = 0x00000001;  // PRIVATE_NAMESPACE_FLAG_DESTROY

using CreateBoundaryDescriptorFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryDescriptorFn = VOID(WINAPI*)(HANDLE);
using CreatePrivateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using ClosePrivateNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

// Resolved at run time: Wine 8 has stubs that end the process when called,
// and the first of them tells by failing.
struct NamespaceFunctions {
    CreateBoundaryDescriptorFn createBoundary = nullptr;
    AddSidFn addSid = nullptr;
    AddSidFn addIntegrityLabel = nullptr;  // Windows 7 on; a boundary goes without before
    DeleteBoundaryDescriptorFn deleteBoundary = nullptr;
    CreatePrivateNamespaceFn createNamespace = nullptr;
    ClosePrivateNamespaceFn closeNamespace = nullptr;

    bool Complete() const
    {
        return createBoundary != nullptr && addSid != nullptr && deleteBoundary != nullptr &&
               createNamespace != nullptr && closeNamespace != nullptr;
    }
};

template <typename Function>
Function Resolved(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const NamespaceFunctions& Functions()
{
    static const NamespaceFunctions functions = [] {
        NamespaceFunctions found;
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (kernel != nullptr) {
            found.createBoundary =
                Resolved<CreateBoundaryDescriptorFn>(kernel, "CreateBoundaryDescriptorW");
            found.addSid = Resolved<AddSidFn>(kernel, "AddSIDToBoundaryDescriptor");
            found.addIntegrityLabel =
                Resolved<AddSidFn>(kernel, "AddIntegrityLabelToBoundaryDescriptor");
            found.deleteBoundary =
                Resolved<DeleteBoundaryDescriptorFn>(kernel, "DeleteBoundaryDescriptor");
            found.createNamespace =
                Resolved<CreatePrivateNamespaceFn>(kernel, "CreatePrivateNamespaceW");
            found.closeNamespace =
                Resolved<ClosePrivateNamespaceFn>(kernel, "ClosePrivateNamespace");
        }
        return found;
    }();
    return functions;
}

// The boundary: the Administrators group, and high integrity, so that a
// filtered administrator's process, whose group is for deny only and whose
// integrity is medium, is outside it too. Null, with the error, on failure;
// nothing but the first call is made when it fails.
HANDLE MakeBoundary(const NamespaceFunctions& functions, DWORD& error)
{
    HANDLE boundary = functions.createBoundary(kBoundaryName, 0);
    if (boundary == nullptr) {
        error = GetLastError();
        return nullptr;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    BYTE high[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    DWORD highSize = sizeof high;
    const bool made =
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        functions.addSid(&boundary, administrators) &&
        (functions.addIntegrityLabel == nullptr ||
         (CreateWellKnownSid(WinHighLabelSid, nullptr, high, &highSize) &&
          functions.addIntegrityLabel(&boundary, high)));
    if (!made) {
        error = GetLastError();
        functions.deleteBoundary(boundary);
        return nullptr;
    }
    return boundary;
}

}  // namespace

bool PrivateNamespace::Available()
{
    static const bool available = [] {
        const NamespaceFunctions& functions = Functions();
        if (!functions.Complete()) {
            return false;
        }
        const HANDLE boundary = functions.createBoundary(kBoundaryName, 0);
        if (boundary == nullptr) {
            return false;
        }
        functions.deleteBoundary(boundary);
        return true;
    }();
    return available;
}

PrivateNamespace::Made PrivateNamespace::Make(const std::wstring& prefix,
                                              const std::wstring& security, DWORD& error)
{
    Close();
    if (!Available()) {
        error = ERROR_NOT_SUPPORTED;
        return Made::Failed;
    }
    const NamespaceFunctions& functions = Functions();
    HANDLE boundary = MakeBoundary(functions, error);
    if (boundary == nullptr) {
        return Made::Failed;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            security.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
        error = GetLastError();
        functions.deleteBoundary(boundary);
        return Made::Failed;
    }
    const HANDLE made = functions.createNamespace(&attributes, boundary, prefix.c_str());
    error = made == nullptr ? GetLastError() : ERROR_SUCCESS;
    LocalFree(attributes.lpSecurityDescriptor);
    if (made == nullptr) {
        functions.deleteBoundary(boundary);
        return error == ERROR_ALREADY_EXISTS ? Made::Exists : Made::Failed;
    }
    m_boundary = boundary;
    m_namespace = made;
    return Made::Yes;
}

void PrivateNamespace::Close()
{
    const NamespaceFunctions& functions = Functions();
    if (m_namespace != nullptr) {
        // Destroyed, not only closed: the next run makes it anew at once.
        functions.closeNamespace(m_namespace, kDestroy);
        m_namespace = nullptr;
    }
    if (m_boundary != nullptr) {
        functions.deleteBoundary(m_boundary);
        m_boundary = nullptr;
    }
}
