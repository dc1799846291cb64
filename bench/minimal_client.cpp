// minimal-client: the least a late-bound Excel client can do for the job, as
// the benchmark's yardstick for uninstall-addin.exe: start Excel as a local
// server, tell it to quit, let it go, and wait until that Excel has ended
// (only then has it written its add-in list and let go of its files).
// Exit status 0 when every step worked.
//
//   minimal-client <Excel's executable file name>

#include <windows.h>
#include <oaidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::vector<DWORD> ProcessesNamed(const wchar_t* name)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, name) == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

// The processes of that name that are new since before.
std::vector<HANDLE> NewProcesses(const wchar_t* name, const std::vector<DWORD>& before)
{
    std::vector<HANDLE> started;
    for (DWORD id : ProcessesNamed(name)) {
        if (std::find(before.begin(), before.end(), id) == before.end()) {
            started.push_back(OpenProcess(SYNCHRONIZE, FALSE, id));
        }
    }
    return started;
}

}  // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (argc != 2 || FAILED(CoInitialize(nullptr))) {
        return 2;
    }
    int status = 1;
    CLSID excelClass;
    IDispatch* application = nullptr;
    const std::vector<DWORD> before = ProcessesNamed(argv[1]);
    std::vector<HANDLE> started;
    if (SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &excelClass)) &&
        SUCCEEDED(CoCreateInstance(excelClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&application)))) {
        started = NewProcesses(argv[1], before);
        LPOLESTR name = const_cast<LPOLESTR>(L"Quit");
        DISPID quit = DISPID_UNKNOWN;
        DISPPARAMS noArguments = {};
        if (SUCCEEDED(application->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &quit)) &&
            SUCCEEDED(application->Invoke(quit, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD,
                                          &noArguments, nullptr, nullptr, nullptr))) {
            status = 0;
        }
        application->Release();
    }
    for (HANDLE process : started) {
        if (process != nullptr) {
            WaitForSingleObject(process, INFINITE);
            CloseHandle(process);
        }
    }
    if (status != 0) {
        std::fprintf(stderr, "minimal-client: Excel could not be started or told to quit\n");
    }
    CoUninitialize();
    return status;
}
