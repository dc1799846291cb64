#include "excel/excel_client.h"

#include "excel/dispatch.h"
#include "excel/own_excel.h"
#include "excel/time_limit.h"
#include "report/report.h"

namespace {

constexpr LPCOLESTR kExcelProgId = L"Excel.Application";
constexpr DWORD kUnquitGraceMs = 5000;

void ReleaseReference(IDispatch*& reference)
{
    if (reference != nullptr) {
        // The last release of a proxy is a call on Excel too.
        const ExcelStep step(ExcelStep::Kind::Call, "Release");
        reference->Release();
        reference = nullptr;
    }
}

// Starting a local server is a wait on Excel like any call. The processes
// around it tell which Excel this run started.
HRESULT StartExcel(const CLSID& excelClass, IDispatch** application)
{
    NoteExcelStart(excelClass);
    const ExcelStep starting(ExcelStep::Kind::Start);
    const HRESULT hr = CoCreateInstance(excelClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(application));
    FindOwnExcel();
    return hr;
}

// Takes the object out of a call's result, or null when the result holds no
// object; whatever else the result held is freed.
IDispatch* TakeObject(VARIANT& result)
{
    if (result.vt == VT_DISPATCH) {
        IDispatch* object = result.pdispVal;
        result.vt = VT_EMPTY;
        return object;
    }
    VariantClear(&result);
    return nullptr;
}

// Every call here passes at most two arguments; IDispatch takes them last
// first.
HRESULT Invoke(int flags, VARIANT* result, IDispatch* target, LPCOLESTR memberName,
               const std::vector<VARIANT>& args)
{
    switch (args.size()) {
    case 0: return AutoWrap(flags, result, target, memberName, 0);
    case 1: return AutoWrap(flags, result, target, memberName, 1, args[0]);
    default: return AutoWrap(flags, result, target, memberName, 2, args[1], args[0]);
    }
}

}  // namespace

CNuvExcelAuto::CNuvExcelAuto()
{
    // S_FALSE means the thread already had an apartment, which is not ours
    // to close.
    m_comInitialized = CoInitialize(nullptr) == S_OK;
}

CNuvExcelAuto::~CNuvExcelAuto()
{
    if (m_comInitialized) {
        CoUninitialize();
    }
}

int CNuvExcelAuto::Init()
{
    CLSID excelClass;
    if (FAILED(CLSIDFromProgID(kExcelProgId, &excelClass))) {
        ReportError("CLSIDFromProgID() failed", "Error");
        return -1;
    }

    IDispatch* application = nullptr;
    if (FAILED(StartExcel(excelClass, &application))) {
        ReportError("Excel not registered properly", "Error");
        // An Excel that started but never served would stay for good.
        EndOwnExcel("it started but did not serve");
        return -2;
    }
    m_application = application;

    m_haveWorkbooks =
        CallForObject(DISPATCH_PROPERTYGET, m_application, L"Workbooks", &m_workbooks);
    return 1;
}

void CNuvExcelAuto::UninstallAddIn(const std::wstring& fullPath, CopyChoice copy)
{
    if (m_haveWorkbooks) {
        CallForObject(DISPATCH_METHOD, m_workbooks, L"Add", &m_workbook);
    }

    IDispatch* addIns = nullptr;
    IDispatch* addIn = nullptr;
    if (CallForObject(DISPATCH_PROPERTYGET, m_application, L"AddIns", &addIns) &&
        AddAddIn(addIns, fullPath, copy, &addIn)) {
        MarkNotInstalled(addIn);
    }
    ReleaseReference(addIn);
    ReleaseReference(addIns);
}

void CNuvExcelAuto::Shutdown()
{
    const bool toldToQuit =
        m_application != nullptr && Call(DISPATCH_METHOD, m_application, L"Quit");
    ReleaseReference(m_workbook);
    ReleaseReference(m_workbooks);
    ReleaseReference(m_application);
    // Excel writes its add-in list and lets go of the add-in file only as
    // its process ends. One that was not told to quit may still end once
    // its last reference goes, and is given a moment to, so that its list
    // is not cut short; otherwise it would stay for good.
    if (!toldToQuit && !OwnExcelEndsWithin(kUnquitGraceMs)) {
        EndOwnExcel("it was not told to quit");
    }
    WaitForOwnExcelToEnd();
}

// Makes one call whose result is an object. Returns whether the call
// succeeded; *object is then the object it gave back, or null if it gave
// back none.
bool CNuvExcelAuto::CallForObject(int flags, IDispatch* target, LPCOLESTR memberName,
                                  IDispatch** object, const std::vector<VARIANT>& args)
{
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = Invoke(flags, &result, target, memberName, args);
    if (FAILED(hr)) {
        m_allCallsSucceeded = false;
        VariantClear(&result);
        return false;
    }
    *object = TakeObject(result);
    return true;
}

bool CNuvExcelAuto::Call(int flags, IDispatch* target, LPCOLESTR memberName,
                         const std::vector<VARIANT>& args)
{
    const HRESULT hr = Invoke(flags, nullptr, target, memberName, args);
    if (FAILED(hr)) {
        m_allCallsSucceeded = false;
        return false;
    }
    return true;
}

bool CNuvExcelAuto::AddAddIn(IDispatch* addIns, const std::wstring& fullPath, CopyChoice copy,
                             IDispatch** addIn)
{
    VARIANT fileName;
    VariantInit(&fileName);
    fileName.vt = VT_BSTR;
    fileName.bstrVal = SysAllocString(fullPath.c_str());
    if (fileName.bstrVal == nullptr) {
        ReportError("Fail to convert the add-in path", "Error");
        m_allCallsSucceeded = false;
        return false;
    }
    std::vector<VARIANT> args = {fileName};
    if (copy == CopyChoice::DontCopy) {
        VARIANT copyFile;
        VariantInit(&copyFile);
        copyFile.vt = VT_BOOL;
        copyFile.boolVal = VARIANT_FALSE;
        args.push_back(copyFile);
    }

    const bool added = CallForObject(DISPATCH_METHOD, addIns, L"Add", addIn, args);
    SysFreeString(fileName.bstrVal);
    return added;
}

void CNuvExcelAuto::MarkNotInstalled(IDispatch* addIn)
{
    VARIANT installed;
    VariantInit(&installed);
    installed.vt = VT_BOOL;
    installed.boolVal = VARIANT_FALSE;
    Call(DISPATCH_PROPERTYPUT, addIn, L"Installed", {installed});
}
