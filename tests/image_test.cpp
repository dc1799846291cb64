// What Windows reads from the program's image before main runs: the
// manifest, as the same side-by-side loader that starts the program reads
// it, and the version resource that Explorer and installers show.

#include "child_process.h"
#include "version.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The SDKs spell these names differently.
constexpr DWORD kOsElement = 1;                      // ACTCX_COMPATIBILITY_ELEMENT_TYPE_OS
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);  // RT_MANIFEST

std::wstring ProgramPath()
{
    return ExecutableFolder() + L"uninstall-addin.exe";
}

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names)
{
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
        IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
    return TRUE;
}

std::wstring GuidText(const GUID& id)
{
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

std::wstring Widened(const char* text)
{
    return std::wstring(text, text + std::strlen(text));
}

// The manifest the program starts with, read through an activation context
// made from the image, as the loader makes it when the program starts: a
// manifest the loader can't parse, or whose dependencies it can't find,
// fails here just as it would keep the program from starting.
class ProgramManifest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ACTCTXW request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = m_path.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        m_context = CreateActCtxW(&request);
        ASSERT_NE(m_context, INVALID_HANDLE_VALUE)
            << "the loader refuses the manifest, error " << GetLastError();
    }

    void TearDown() override
    {
        if (m_context != INVALID_HANDLE_VALUE) {
            ReleaseActCtx(m_context);
        }
    }

    // A windowsSettings value, or "(none)" when the loader found no such
    // element in that namespace.
    std::wstring Setting(const wchar_t* xmlNamespace, const wchar_t* name) const
    {
        wchar_t value[128] = {};
        SIZE_T written = 0;
        if (!QueryActCtxSettingsW(0, m_context, xmlNamespace, name, value, 128, &written)) {
            return L"(none)";
        }
        return value;
    }

    std::vector<BYTE> Query(ULONG infoClass, DWORD* index = nullptr) const
    {
        SIZE_T needed = 0;
        QueryActCtxW(0, m_context, index, infoClass, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (needed == 0 ||
            !QueryActCtxW(0, m_context, index, infoClass, buffer.data(), needed, &needed)) {
            buffer.clear();
        }
        return buffer;
    }

    // The encoded identity of each assembly in the context: the program's
    // own first, then those it depends on as the loader resolved them.
    std::vector<std::wstring> AssemblyIdentities() const
    {
        std::vector<std::wstring> identities;
        const std::vector<BYTE> detail = Query(ActivationContextDetailedInformation);
        if (detail.size() < sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION)) {
            ADD_FAILURE() << "no detailed information for the activation context";
            return identities;
        }
        const auto* context =
            reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data());
        for (DWORD index = 1; index <= context->ulAssemblyCount; ++index) {
            const std::vector<BYTE> assembly =
                Query(AssemblyDetailedInformationInActivationContext, &index);
            if (assembly.size() < sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION)) {
                ADD_FAILURE() << "no information for assembly " << index;
                continue;
            }
            const auto* info =
                reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(
                    assembly.data());
            identities.push_back(info->lpAssemblyEncodedAssemblyIdentity);
        }
        return identities;
    }

    // The supportedOS ids, as text.
    std::vector<std::wstring> SupportedOsIds() const
    {
        std::vector<std::wstring> ids;
        const std::vector<BYTE> info = Query(CompatibilityInformationInActivationContext);
        DWORD count = 0;
        if (info.size() < sizeof count) {
            ADD_FAILURE() << "no compatibility information";
            return ids;
        }
        std::memcpy(&count, info.data(), sizeof count);
        // Each element is the GUID and its kind; Windows 10 1903 and later
        // (and Wine) add a 64-bit MaxVersionTested, which makes elements 32
        // bytes long and moves the first to offset 8. The SDK headers don't
        // all agree, so the size the loader gave back decides.
        size_t offset = 0;
        size_t stride = 0;
        if (info.size() == 4 + 20 * size_t{count}) {
            offset = 4;
            stride = 20;
        } else if (info.size() == 8 + 32 * size_t{count}) {
            offset = 8;
            stride = 32;
        } else {
            ADD_FAILURE() << count << " compatibility elements in " << info.size() << " bytes";
            return ids;
        }
        for (DWORD i = 0; i < count; ++i) {
            GUID id;
            DWORD kind = 0;
            std::memcpy(&id, info.data() + offset + i * stride, sizeof id);
            std::memcpy(&kind, info.data() + offset + i * stride + sizeof id, sizeof kind);
            if (kind == kOsElement) {
                ids.push_back(GuidText(id));
            }
        }
        return ids;
    }

    const std::wstring m_path = ProgramPath();
    HANDLE m_context = INVALID_HANDLE_VALUE;
};

TEST(ProgramImage, HasOneManifestWithTheIdTheLoaderLooksFor)
{
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr) << GetLastError();
    std::vector<std::wstring> names;
    EnumResourceNamesW(image, kManifestType, &CountName, reinterpret_cast<LONG_PTR>(&names));
    FreeLibrary(image);

    EXPECT_EQ(names, std::vector<std::wstring>{L"#1"});
}

TEST_F(ProgramManifest, AsksForNoElevation)
{
    const std::vector<BYTE> info = Query(RunlevelInformationInActivationContext);
    ASSERT_GE(info.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    const auto* level =
        reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(info.data());

    EXPECT_EQ(level->RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level->UiAccess, 0u);
}

TEST_F(ProgramManifest, WindowsSettings)
{
    struct Case {
        const wchar_t* xmlNamespace;
        const wchar_t* name;
        const wchar_t* value;
    };
    const Case cases[] = {
        {L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"activeCodePage", L"UTF-8"},
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true/pm"},
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
         L"PerMonitorV2, PerMonitor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        EXPECT_EQ(Setting(c.xmlNamespace, c.name), c.value);
    }
}

TEST_F(ProgramManifest, DeclaresWindows7To11)
{
    const std::vector<std::wstring> ids = SupportedOsIds();
    const wchar_t* const expected[] = {
        L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",  // Windows 7
        L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",  // Windows 8
        L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",  // Windows 8.1
        L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",  // Windows 10 and 11
    };
    for (const wchar_t* id : expected) {
        EXPECT_TRUE(std::find(ids.begin(), ids.end(), id) != ids.end()) << ToUtf8(id);
    }
}

TEST_F(ProgramManifest, NamesTheProgramAtItsVersionAndBindsCommonControls6)
{
    const std::vector<std::wstring> identities = AssemblyIdentities();
    ASSERT_EQ(identities.size(), 2u);

    const std::wstring version = L"version=\"" + Widened(kProgramVersion) + L".0\"";
    EXPECT_EQ(identities[0].rfind(L"uninstall-addin,", 0), 0u) << ToUtf8(identities[0]);
    EXPECT_NE(identities[0].find(version), std::wstring::npos) << ToUtf8(identities[0]);

    // The version is the one the loader resolved; any 6.0 build will do.
    const std::wstring& controls = identities[1];
    EXPECT_EQ(controls.rfind(L"Microsoft.Windows.Common-Controls,", 0), 0u) << ToUtf8(controls);
    EXPECT_NE(controls.find(L"publicKeyToken=\"6595b64144ccf1df\""), std::wstring::npos)
        << ToUtf8(controls);
    EXPECT_NE(controls.find(L"version=\"6.0."), std::wstring::npos) << ToUtf8(controls);
}

class ProgramVersionInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring path = ProgramPath();
        DWORD ignored = 0;
        m_data.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_FALSE(m_data.empty()) << "no version resource, error " << GetLastError();
        ASSERT_TRUE(
            GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(m_data.size()), m_data.data()));
    }

    const void* Value(const std::wstring& path, UINT* size) const
    {
        void* value = nullptr;
        if (!VerQueryValueW(m_data.data(), path.c_str(), &value, size)) {
            return nullptr;
        }
        return value;
    }

    // A string of the first translation the resource lists, or "(none)".
    std::wstring String(const wchar_t* name) const
    {
        UINT size = 0;
        const auto* translation =
            static_cast<const WORD*>(Value(L"\\VarFileInfo\\Translation", &size));
        if (translation == nullptr || size < 2 * sizeof(WORD)) {
            return L"(no translation)";
        }
        wchar_t block[32];
        swprintf(block, 32, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
        const auto* text = static_cast<const wchar_t*>(Value(block + std::wstring(name), &size));
        return text != nullptr ? std::wstring(text) : L"(none)";
    }

    std::vector<BYTE> m_data;
};

TEST_F(ProgramVersionInfo, NumbersAreTheProjectVersion)
{
    UINT size = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Value(L"\\", &size));
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(size, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const DWORD high = MAKELONG(kProgramVersionMinor, kProgramVersionMajor);
    const DWORD low = MAKELONG(0, kProgramVersionPatch);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    EXPECT_EQ(String(L"FileVersion"), Widened(kProgramVersion));
    EXPECT_EQ(String(L"ProductVersion"), Widened(kProgramVersion));
}

TEST_F(ProgramVersionInfo, NamesTheProgram)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* value;  // null: any text will do
    };
    const Case cases[] = {
        {L"ProductName", L"uninstall-addin"},
        {L"OriginalFilename", L"uninstall-addin.exe"},
        {L"InternalName", L"uninstall-addin"},
        {L"FileDescription", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        const std::wstring value = String(c.name);
        if (c.value != nullptr) {
            EXPECT_EQ(value, c.value);
        } else {
            EXPECT_FALSE(value.empty() || value == L"(none)" || value == L"(no translation)")
                << ToUtf8(value);
        }
    }
}

}  // namespace
