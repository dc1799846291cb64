// A DLL dropped beside the program, under the name of one that Windows loads
// to show a message box, is not loaded when the program shows its box.

#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Not a KnownDLL: Windows, and Wine, load uxtheme.dll by name when a window
// such as a message box is first drawn, after the program has started.
constexpr wchar_t kPlantedModule[] = L"uxtheme";
const std::wstring kPlantedFile = std::wstring(kPlantedModule) + L".dll";

constexpr DWORD kUsageExitCode = 3;

struct BoxRun {
    ProcessOutcome outcome;
    std::vector<RecordedBox> boxes;
};

// Wine prefers its own built-in DLLs to files; told to prefer files for one
// program, it looks for the planted DLL as Windows does. (WINEDLLOVERRIDES
// would not do: Wine reads it from the environment Wine itself started in,
// not from the one a Windows process hands down.) Windows reads nothing
// under Software\Wine.
class NativeFirstUnderWine {
public:
    explicit NativeFirstUnderWine(const std::wstring& program)
        : m_key(L"Software\\Wine\\AppDefaults\\" + program)
    {
        SetString((m_key + L"\\DllOverrides").c_str(), kPlantedModule, L"native,builtin");
    }
    ~NativeFirstUnderWine() { RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }

    NativeFirstUnderWine(const NativeFirstUnderWine&) = delete;
    NativeFirstUnderWine& operator=(const NativeFirstUnderWine&) = delete;

private:
    const std::wstring m_key;
};

void DeleteFilesIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A download folder, as it were: a fresh folder with the planted DLL in it.
class PlantedDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(kWorkFolder, nullptr);
        CreateDirectoryW(m_folder.c_str(), nullptr);
    }

    void TearDown() override
    {
        DeleteFilesIn(m_folder);
        RemoveDirectoryW(m_folder.c_str());
    }

    // Copies program from the build folder next to a freshly planted DLL,
    // runs it from there with Wine set to look for that DLL, and dismisses
    // the boxes it shows.
    BoxRun RunBesidePlantedDll(const wchar_t* program)
    {
        DeleteFilesIn(m_folder);
        const std::wstring copy = m_folder + L"\\" + program;
        EXPECT_TRUE(CopyFileW((ExecutableFolder() + program).c_str(), copy.c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((ExecutableFolder() + L"planted-dll.dll").c_str(),
                              (m_folder + L"\\" + kPlantedFile).c_str(), FALSE));

        NativeFirstUnderWine nativeFirst(program);
        BoxRecorder recorder;
        BoxRun run;
        run.outcome = RunProcess(QuoteArgument(copy), m_output, kRunTimeoutMs);
        run.boxes = recorder.Boxes();
        return run;
    }

    bool PlantedDllWasLoaded() const
    {
        const std::wstring marker = m_folder + L"\\" + kPlantedFile + L".loaded";
        return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    const std::wstring m_folder = InWorkFolder(L"planted");
    const std::wstring m_output = InWorkFolder(L"planted-run.txt");
};

TEST_F(PlantedDll, IsNotLoadedByTheProgramShowingABox)
{
    // A program that shows the same kind of box but searches its own folder
    // does load it: the planting is real, and seen.
    const BoxRun control = RunBesidePlantedDll(L"unguarded-box.exe");
    ASSERT_FALSE(control.outcome.timedOut);
    ASSERT_EQ(control.boxes.size(), 1u);
    ASSERT_TRUE(PlantedDllWasLoaded())
        << "a program without the protection doesn't load the planted DLL either, so this "
           "test can't tell whether the program would";

    const BoxRun run = RunBesidePlantedDll(L"uninstall-addin.exe");
    ASSERT_FALSE(run.outcome.timedOut);
    EXPECT_EQ(run.outcome.exitCode, kUsageExitCode);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Error");
    EXPECT_FALSE(PlantedDllWasLoaded()) << "uninstall-addin.exe loaded the uxtheme.dll beside it";
}

}  // namespace
