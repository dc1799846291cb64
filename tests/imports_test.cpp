// The program has to start on a clean Windows machine, so it may only
// import DLLs that every such machine has.

#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

template <typename T>
bool ReadAt(const std::string& image, size_t offset, T* value)
{
    if (offset > image.size() || image.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(value, image.data() + offset, sizeof(T));
    return true;
}

// Where a relative virtual address lies in the file, or 0.
size_t FileOffset(const std::vector<IMAGE_SECTION_HEADER>& sections, DWORD rva)
{
    for (const IMAGE_SECTION_HEADER& section : sections) {
        if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
            return rva - section.VirtualAddress + section.PointerToRawData;
        }
    }
    return 0;
}

std::vector<std::string> ImportedDlls(const std::string& image)
{
    std::vector<std::string> dlls;
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS64 nt;
    if (!ReadAt(image, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !ReadAt(image, dos.e_lfanew, &nt) || nt.Signature != IMAGE_NT_SIGNATURE ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        ADD_FAILURE() << "not a 64-bit PE image";
        return dlls;
    }

    std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
    const size_t sectionTable = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                nt.FileHeader.SizeOfOptionalHeader;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!ReadAt(image, sectionTable + i * sizeof(IMAGE_SECTION_HEADER), &sections[i])) {
            ADD_FAILURE() << "truncated section table";
            return dlls;
        }
    }

    const IMAGE_DATA_DIRECTORY& imports =
        nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t offset = FileOffset(sections, imports.VirtualAddress);
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    for (; offset != 0 && ReadAt(image, offset, &descriptor) && descriptor.Name != 0;
         offset += sizeof descriptor) {
        const size_t name = FileOffset(sections, descriptor.Name);
        if (name == 0 || name >= image.size()) {
            ADD_FAILURE() << "import name outside the image";
            break;
        }
        std::string dll(image.c_str() + name);
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        dlls.push_back(dll);
    }
    return dlls;
}

bool IsSystemDll(const std::string& dll)
{
    static const char* const kSystemDlls[] = {"kernel32.dll", "user32.dll",   "ole32.dll",
                                              "oleaut32.dll", "advapi32.dll", "msvcrt.dll",
                                              "ucrtbase.dll"};
    for (const char* system : kSystemDlls) {
        if (dll == system) {
            return true;
        }
    }
    return dll.rfind("api-ms-win-crt-", 0) == 0;
}

TEST(ProgramImage, ImportsOnlySystemDlls)
{
    const std::string image = ReadFileBytes(ExecutableFolder() + L"uninstall-addin.exe");
    ASSERT_FALSE(image.empty());

    const std::vector<std::string> dlls = ImportedDlls(image);
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "oleaut32.dll"), dlls.end());
    for (const std::string& dll : dlls) {
        EXPECT_TRUE(IsSystemDll(dll)) << dll << " is not on every Windows machine";
    }
}

}  // namespace
