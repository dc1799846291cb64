#include "users/loaded_hive.h"

#include "addin_list/registry_key.h"
#include "report/log_file.h"
#include "report/text.h"
#include "system/owned_handle.h"
#include "users/hive_rules.h"

#include <atomic>

namespace {

// Held by the main thread for as long as it has a hive loaded under
// HKEY_USERS, so that the console's handler can wait for it to be unloaded.
SRWLOCK loadedUnderUsers = SRWLOCK_INIT;

// Set by the console's handler as it begins: from then on no hive is loaded.
std::atomic<bool> runIsEnding{false};

// How long a hive or file that another process holds is tried again, and
// how often: an antivirus or the indexer lets go within moments.
constexpr ULONGLONG kHeldRetryMs = 3000;
constexpr DWORD kHeldPauseMs = 100;

// Runs on a thread of its own when the user presses Ctrl+C or Ctrl+Break or
// closes the console. Windows ends the process after this handler (after
// about five seconds at most for a closing console); until then the run may
// finish the user at hand and unload that hive. The lock is then kept, so
// that no other hive is loaded before the end.
BOOL WINAPI UnloadBeforeTheEnd(DWORD)
{
    runIsEnding = true;
    constexpr int kTries = 80;  // 4 s in all
    for (int i = 0; i < kTries && !TryAcquireSRWLockExclusive(&loadedUnderUsers); ++i) {
        Sleep(50);
    }
    return FALSE;  // the usual end follows
}

void WatchTheConsole()
{
    static const bool handlerSet = SetConsoleCtrlHandler(UnloadBeforeTheEnd, TRUE) != FALSE;
    (void)handlerSet;
}

// What a load answers once the run has begun to end.
LSTATUS RefusedAsTheRunEnds(const std::string& named, std::string& why)
{
    why = named + " was not loaded: the run is ending (Ctrl+C, Ctrl+Break or the "
                  "console closing)";
    return ERROR_CANCELLED;
}

// attempt() again, briefly, while its status says another process holds
// what it needs; its last status.
template <typename Attempt>
LSTATUS TriedWhileHeld(Attempt attempt)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const LSTATUS status = attempt();
        if (status == ERROR_SUCCESS || !HeldElsewhere(status) ||
            GetTickCount64() - start >= kHeldRetryMs) {
            return status;
        }
        Sleep(kHeldPauseMs);
    }
}

bool IsUsableKey(HKEY key)
{
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// A hive's root with no value and no key, as a hive a load made has.
bool IsEmptyRoot(HKEY root)
{
    DWORD keys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           keys == 0 && values == 0;
}

// A name under HKEY_USERS that no one else uses.
std::wstring UniqueName()
{
    static unsigned long loaded = 0;
    return HiveLoadName(GetCurrentProcessId(), ++loaded);
}

std::uint64_t Number(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

FileMark MarkOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    return {FileMark::State::Present, info.dwVolumeSerialNumber,
            Number(info.nFileIndexHigh, info.nFileIndexLow),
            Number(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime)};
}

// Which file path names, as a load would open it (a link followed). Asking
// for its attributes only, this opens also a file that a loaded hive holds
// without sharing.
FileMark MarkOf(const std::wstring& path)
{
    const OwnedHandle file(CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                    ? FileMark::State::Absent
                    : FileMark::State::Unknown};
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.Get(), &info)) {
        return {FileMark::State::Unknown};
    }
    return MarkOf(info);
}

HiveFileMarks MarksOf(const std::wstring& file)
{
    return {MarkOf(file), MarkOf(file + L".LOG1"), MarkOf(file + L".LOG2")};
}

// Deletes the file at path if it still is the one mark names: the name
// itself, never where a link leads.
DWORD DeleteMadeFile(const std::wstring& path, const FileMark& mark)
{
    const OwnedHandle file(
        CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        return GetLastError();
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.Get(), &info)) {
        return GetLastError();
    }
    // No longer the file the load made: there is none of ours to delete.
    if (!SameFile(MarkOf(info), mark)) {
        return ERROR_FILE_NOT_FOUND;
    }
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                      sizeof(disposition))
               ? ERROR_SUCCESS
               : GetLastError();
}

}  // namespace

bool IsLoadedUnderUsers(const std::wstring& name)
{
    RegistryKey hive;
    return !name.empty() && hive.Open(HKEY_USERS, name, KEY_READ) == ERROR_SUCCESS;
}

LSTATUS UnloadFromUsers(const std::wstring& name)
{
    return TriedWhileHeld([&] { return RegUnLoadKeyW(HKEY_USERS, name.c_str()); });
}

LSTATUS LoadedHive::Load(const std::wstring& file, std::string& why)
{
    Unload();
    WatchTheConsole();
    const std::string named = "its hive \"" + AnsiFromWide(file) + "\"";
    if (runIsEnding) {
        return RefusedAsTheRunEnds(named, why);
    }
    const HiveFileMarks before = MarksOf(file);
    if (before.hive.state == FileMark::State::Absent) {
        why = named + " is missing";
        return ERROR_FILE_NOT_FOUND;
    }
    LSTATUS status = LoadPrivately(file);
    // Whatever kept the private hive from loading, the old way may still
    // work, and where it fails too its reason is the one to report.
    if (status != ERROR_SUCCESS) {
        status = LoadUnderUsers(file);
    }
    if (status == ERROR_CANCELLED) {
        return RefusedAsTheRunEnds(named, why);
    }
    if (status != ERROR_SUCCESS) {
        why = named + " could not be loaded: " + SystemMessage(static_cast<DWORD>(status));
        return status;
    }
    // The file may have gone between the look and the load, and the load
    // made an empty one in its place.
    const HiveFileMarks after = MarksOf(file);
    const LoadVerdict verdict = JudgeLoad(before, after, IsEmptyRoot(m_root));
    if (!verdict.madeByLoad) {
        return ERROR_SUCCESS;
    }
    // Undone, there is no such file, as a look after the load would find;
    // otherwise why tells which step failed.
    if (!UndoMadeHive(file, verdict, after, why)) {
        return ERROR_CAN_NOT_COMPLETE;
    }
    why = named + " is missing";
    return ERROR_FILE_NOT_FOUND;
}

bool LoadedHive::UndoMadeHive(const std::wstring& file, const LoadVerdict& verdict,
                              const HiveFileMarks& after, std::string& why)
{
    const std::string named = "\"" + AnsiFromWide(file) + "\"";
    LogEvent("made by the load: " + named + " was gone when it was loaded; the empty hive goes");
    why = named + " was gone when it was loaded, and the empty hive the load made stays: ";
    std::string unloadWhy;
    if (!Unload(&unloadWhy)) {
        why += unloadWhy;
        return false;
    }
    struct MadeFile {
        bool remove;
        std::wstring path;
        const FileMark& mark;
    };
    const MadeFile made[] = {
        {verdict.removeHive, file, after.hive},
        {verdict.removeLog1, file + L".LOG1", after.log1},
        {verdict.removeLog2, file + L".LOG2", after.log2},
    };
    for (const MadeFile& one : made) {
        if (!one.remove) {
            continue;
        }
        const LSTATUS status = TriedWhileHeld(
            [&] { return static_cast<LSTATUS>(DeleteMadeFile(one.path, one.mark)); });
        if (status == ERROR_SUCCESS) {
            LogEvent("deleted: \"" + AnsiFromWide(one.path) + "\", made by the load");
        } else if (status != ERROR_FILE_NOT_FOUND) {
            why += "\"" + AnsiFromWide(one.path) +
                   "\" could not be deleted: " + SystemMessage(static_cast<DWORD>(status));
            return false;
        }
    }
    return true;
}

LSTATUS LoadedHive::LoadPrivately(const std::wstring& file)
{
    HKEY root = nullptr;
    const LSTATUS status = RegLoadAppKeyW(file.c_str(), &root, KEY_READ | KEY_WRITE, 0, 0);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // Some platforms answer success with a handle nothing accepts (Wine 8's
    // stub); one question tells.
    if (!IsUsableKey(root)) {
        RegCloseKey(root);
        return ERROR_INVALID_HANDLE;
    }
    m_root = root;
    m_rootName = AnsiFromWide(file);
    LogEvent("loaded: \"" + m_rootName + "\" as a private hive");
    return ERROR_SUCCESS;
}

LSTATUS LoadedHive::LoadUnderUsers(const std::wstring& file)
{
    const std::wstring name = UniqueName();
    AcquireSRWLockExclusive(&loadedUnderUsers);
    // The handler may have begun while this waited for the lock.
    if (runIsEnding) {
        ReleaseSRWLockExclusive(&loadedUnderUsers);
        return ERROR_CANCELLED;
    }
    LSTATUS status = RegLoadKeyW(HKEY_USERS, name.c_str(), file.c_str());
    if (status == ERROR_SUCCESS) {
        m_usersName = name;
        status = RegOpenKeyExW(HKEY_USERS, name.c_str(), 0, KEY_READ | KEY_WRITE, &m_root);
        if (status != ERROR_SUCCESS) {
            m_root = nullptr;
            Unload();
            return status;
        }
        m_rootName = "HKEY_USERS\\" + AnsiFromWide(name);
        LogEvent("loaded: \"" + AnsiFromWide(file) + "\" as " + m_rootName);
        return ERROR_SUCCESS;
    }
    // A file that is no hive may still leave an empty key behind.
    if (IsLoadedUnderUsers(name)) {
        UnloadFromUsers(name);
    }
    ReleaseSRWLockExclusive(&loadedUnderUsers);
    return status;
}

bool LoadedHive::Unload(std::string* why)
{
    if (m_root != nullptr) {
        RegCloseKey(m_root);  // the last handle of a private hive: it goes
        m_root = nullptr;
    }
    m_rootName.clear();
    if (m_usersName.empty()) {
        return true;
    }
    const LSTATUS status = UnloadFromUsers(m_usersName);
    if (status != ERROR_SUCCESS && why != nullptr) {
        *why = "its hive (HKEY_USERS\\" + AnsiFromWide(m_usersName) +
               ") could not be unloaded: " + SystemMessage(static_cast<DWORD>(status));
    }
    m_usersName.clear();
    ReleaseSRWLockExclusive(&loadedUnderUsers);
    return status == ERROR_SUCCESS;
}
