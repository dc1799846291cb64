// minimal-client: the least a late-bound Excel client can do, as the
// benchmark's yardstick for uninstall-addin.exe: start Excel as a local
// server, tell it to quit, let it go. Exit status 0 when every step worked.

#include <windows.h>
#include <oaidl.h>

#include <cstdio>

int main()
{
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    int status = 1;
    CLSID excelClass;
    IDispatch* application = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &excelClass)) &&
        SUCCEEDED(CoCreateInstance(excelClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&application)))) {
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
    if (status != 0) {
        std::fprintf(stderr, "minimal-client: Excel could not be started or told to quit\n");
    }
    CoUninitialize();
    return status;
}
