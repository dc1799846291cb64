// The DLLs the program's image asks the loader for before main runs: only
// DLLs that every Windows machine has and always takes from the system
// folder, and, where the build can set them, load flags that keep it there.

#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The flags the build writes into the image (CMakeLists.txt): 0 where its
// linker can't.
constexpr WORD kExpectedDependentLoadFlags = EXPECTED_DEPENDENT_LOAD_FLAGS;

// Where DependentLoadFlags sits in IMAGE_LOAD_CONFIG_DIRECTORY64; the SDKs
// don't all name the field.
constexpr size_t kDependentLoadFlagsOffset = 0x4E;

template <typename T>
bool ReadAt(const std::string& image, size_t offset, T* value)
{
    if (offset > image.size() || image.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(value, image.data() + offset, sizeof(T));
    return true;
}

struct ImageHeaders {
    IMAGE_NT_HEADERS64 nt = {};
    std::vector<IMAGE_SECTION_HEADER> sections;
};

bool ReadHeaders(const std::string& image, ImageHeaders* headers)
{
    IMAGE_DOS_HEADER dos;
    if (!ReadAt(image, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !ReadAt(image, dos.e_lfanew, &headers->nt) || headers->nt.Signature != IMAGE_NT_SIGNATURE ||
        headers->nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return false;
    }
    headers->sections.resize(headers->nt.FileHeader.NumberOfSections);
    const size_t sectionTable = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                headers->nt.FileHeader.SizeOfOptionalHeader;
    for (size_t i = 0; i < headers->sections.size(); ++i) {
        if (!ReadAt(image, sectionTable + i * sizeof(IMAGE_SECTION_HEADER),
                    &headers->sections[i])) {
            return false;
        }
    }
    return true;
}

// Where a relative virtual address lies in the file, or 0.
size_t FileOffset(const ImageHeaders& headers, DWORD rva)
{
    for (const IMAGE_SECTION_HEADER& section : headers.sections) {
        if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
            return rva - section.VirtualAddress + section.PointerToRawData;
        }
    }
    return 0;
}

const IMAGE_DATA_DIRECTORY& Directory(const ImageHeaders& headers, int entry)
{
    return headers.nt.OptionalHeader.DataDirectory[entry];
}

class ProgramImageFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_image = ReadFileBytes(ExecutableFolder() + L"uninstall-addin.exe");
        ASSERT_FALSE(m_image.empty());
        ASSERT_TRUE(ReadHeaders(m_image, &m_headers)) << "not a 64-bit PE image";
    }

    std::vector<std::string> ImportedDlls() const
    {
        std::vector<std::string> dlls;
        size_t offset = FileOffset(
            m_headers, Directory(m_headers, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        for (; offset != 0 && ReadAt(m_image, offset, &descriptor) && descriptor.Name != 0;
             offset += sizeof descriptor) {
            const size_t name = FileOffset(m_headers, descriptor.Name);
            if (name == 0 || name >= m_image.size()) {
                ADD_FAILURE() << "import name outside the image";
                break;
            }
            std::string dll(m_image.c_str() + name);
            std::transform(dll.begin(), dll.end(), dll.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            dlls.push_back(dll);
        }
        return dlls;
    }

    std::string m_image;
    ImageHeaders m_headers;
};

// KnownDLLs on every Windows from 7 to 11: the loader maps these from the
// system folder whatever else the search order holds, so one dropped beside
// the program is never taken for them. (combase is one only from Windows 8
// on; the CRT's api-ms-win-crt-* and ucrtbase are ordinary files on 7.)
bool IsKnownDll(const std::string& dll)
{
    static const char* const kKnownDlls[] = {
        "advapi32.dll", "comdlg32.dll", "gdi32.dll",  "imagehlp.dll", "imm32.dll",
        "kernel32.dll", "msctf.dll",    "msvcrt.dll", "normaliz.dll", "nsi.dll",
        "ole32.dll",    "oleaut32.dll", "psapi.dll",  "sechost.dll",  "setupapi.dll",
        "shell32.dll",  "shlwapi.dll",  "user32.dll", "wldap32.dll",  "ws2_32.dll"};
    return std::find_if(std::begin(kKnownDlls), std::end(kKnownDlls),
                        [&](const char* known) { return dll == known; }) != std::end(kKnownDlls);
}

TEST_F(ProgramImageFile, ImportsOnlyKnownDlls)
{
    const std::vector<std::string> dlls = ImportedDlls();
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "oleaut32.dll"), dlls.end());
    for (const std::string& dll : dlls) {
        EXPECT_TRUE(IsKnownDll(dll)) << dll
                                     << " is not a DLL that every Windows machine has and always "
                                        "loads from the system folder";
    }
}

TEST_F(ProgramImageFile, DependentLoadFlagsAreTheOnesTheBuildSets)
{
    WORD flags = 0;
    const IMAGE_DATA_DIRECTORY& directory = Directory(m_headers, IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
    if (directory.VirtualAddress != 0) {
        const size_t offset = FileOffset(m_headers, directory.VirtualAddress);
        DWORD size = 0;
        ASSERT_NE(offset, 0u) << "load configuration outside the image";
        ASSERT_TRUE(ReadAt(m_image, offset, &size));
        // The loader trusts the directory only where both sizes agree, and
        // reads no field that the size leaves out.
        EXPECT_EQ(size, directory.Size);
        ASSERT_GE(size, kDependentLoadFlagsOffset + sizeof flags);
        ASSERT_TRUE(ReadAt(m_image, offset + kDependentLoadFlagsOffset, &flags));
    }

    EXPECT_EQ(flags, kExpectedDependentLoadFlags);
}

}  // namespace
