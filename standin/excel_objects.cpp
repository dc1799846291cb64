#include "excel_objects.h"

#include "call_log.h"
#include "server_state.h"
#include "text.h"

#include <iterator>
#include <string>

namespace {

// DISPIDs differ across objects too, so a client that sends one object's
// DISPID to another gets DISP_E_MEMBERNOTFOUND rather than a wrong answer.
enum : DISPID {
    kApplicationWorkbooks = 1,
    kApplicationAddIns = 2,
    kApplicationQuit = 3,
    kWorkbooksAdd = 11,
    kWorkbookName = 21,
    kAddInsAdd = 31,
    kAddInInstalled = 41,
    kAddInFullName = 42,
};

using Kind = MemberInfo::Kind;

const MemberInfo kApplicationMembers[] = {
    {kApplicationWorkbooks, L"Workbooks", Kind::ReadOnly, 0, 0},
    {kApplicationAddIns, L"AddIns", Kind::ReadOnly, 0, 0},
    {kApplicationQuit, L"Quit", Kind::Method, 0, 0},
};
// Workbooks.Add takes an optional template.
const MemberInfo kWorkbooksMembers[] = {
    {kWorkbooksAdd, L"Add", Kind::Method, 0, 1},
};
const MemberInfo kWorkbookMembers[] = {
    {kWorkbookName, L"Name", Kind::ReadOnly, 0, 0},
};
// AddIns.Add(Filename, [CopyFile]); CopyFile matters only for a file that
// is not on a local fixed disk.
const MemberInfo kAddInsMembers[] = {
    {kAddInsAdd, L"Add", Kind::Method, 1, 2},
};
const MemberInfo kAddInMembers[] = {
    {kAddInInstalled, L"Installed", Kind::ReadWrite, 0, 0},
    {kAddInFullName, L"FullName", Kind::ReadOnly, 0, 0},
};

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Excel asks whether to copy an add-in from a share or a removable medium
// into the user's add-ins folder; a share is told by its form, since one
// that doesn't exist can't be asked about.
bool OffersToCopy(const std::wstring& path)
{
    const bool verbatim = path.compare(0, 4, L"\\\\?\\") == 0;
    const bool device = path.compare(0, 4, L"\\\\.\\") == 0;
    if (verbatim ? path.compare(4, 4, L"UNC\\") == 0 : !device && path.compare(0, 2, L"\\\\") == 0)
        return true;
    const std::wstring drive = path.substr(verbatim ? 4 : 0, 2);
    if (drive.size() < 2 || drive[1] != L':')
        return false;
    const UINT type = GetDriveTypeW((drive + L"\\").c_str());
    return type == DRIVE_REMOTE || type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

// The dialog of an Excel nobody sees: it waits for ever.
[[noreturn]] void AskWhetherToCopy(const std::wstring& path)
{
    LogLine(L"dialog AddIns.Add: copy " + path + L" to the add-ins folder?");
    for (;;)
        Sleep(INFINITE);
}

class Workbook final : public DispatchObject {
public:
    explicit Workbook(int number)
        : DispatchObject(L"Workbook", kWorkbookMembers, std::size(kWorkbookMembers)),
          number_(number)
    {}

private:
    HRESULT Call(const MemberInfo&, const DISPPARAMS&, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        return result ? ReturnString(*result, L"Book" + std::to_wstring(number_)) : S_OK;
    }

    int number_;
};

class Workbooks final : public DispatchObject {
public:
    Workbooks() : DispatchObject(L"Workbooks", kWorkbooksMembers, std::size(kWorkbooksMembers)) {}

private:
    HRESULT Call(const MemberInfo&, const DISPPARAMS&, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        const int number = ++Server().workbooksAdded;
        if (result)
            ReturnObject(*result, new Workbook(number));
        return S_OK;
    }
};

// An entry of the server's list of add-ins, which is written back when the
// server ends, as Excel writes its own when it quits.
class AddIn final : public DispatchObject {
public:
    explicit AddIn(size_t place)
        : DispatchObject(L"AddIn", kAddInMembers, std::size(kAddInMembers)), place_(place)
    {}

private:
    HRESULT Call(const MemberInfo& member, const DISPPARAMS&, VARIANT* result, EXCEPINFO*,
                 UINT*) override
    {
        if (!result)
            return S_OK;
        const ListedAddIn& addIn = Server().addIns.At(place_);
        if (member.id == kAddInFullName)
            return ReturnString(*result, addIn.path);
        result->vt = VT_BOOL;
        result->boolVal = addIn.installed ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT Put(const MemberInfo&, const VARIANT& value, UINT* argErr) override
    {
        if (value.vt != VT_BOOL)
            return TypeMismatch(argErr, 0);
        Server().addIns.SetInstalled(place_, value.boolVal != VARIANT_FALSE);
        return S_OK;
    }

    size_t place_;
};

class AddIns final : public DispatchObject {
public:
    AddIns() : DispatchObject(L"AddIns", kAddInsMembers, std::size(kAddInsMembers)) {}

private:
    HRESULT Call(const MemberInfo& member, const DISPPARAMS& params, VARIANT* result,
                 EXCEPINFO* excepInfo, UINT* argErr) override
    {
        // Arguments arrive last first: Filename is the deepest one.
        const UINT filenameIndex = params.cArgs - 1;
        const VARIANT& filename = params.rgvarg[filenameIndex];
        if (filename.vt != VT_BSTR)
            return TypeMismatch(argErr, filenameIndex);
        const std::wstring path = FromBstr(filename.bstrVal);
        if (params.cArgs == 2 && params.rgvarg[0].vt != VT_BOOL)
            return TypeMismatch(argErr, 0);
        if (params.cArgs == 1 && OffersToCopy(path))
            AskWhetherToCopy(path);
        // Excel refuses to add an add-in while no workbook is open.
        if (Server().workbooksAdded == 0 || !IsFile(path))
            return RaiseError(member, false, excepInfo);
        const size_t place = Server().addIns.Find(path);
        if (result)
            ReturnObject(*result, new AddIn(place));
        return S_OK;
    }
};

class Application final : public DispatchObject {
public:
    Application()
        : DispatchObject(L"Application", kApplicationMembers, std::size(kApplicationMembers))
    {}

private:
    HRESULT Call(const MemberInfo& member, const DISPPARAMS&, VARIANT* result, EXCEPINFO*,
                 UINT*) override
    {
        switch (member.id) {
        case kApplicationWorkbooks:
            if (result)
                ReturnObject(*result, new Workbooks());
            return S_OK;
        case kApplicationAddIns:
            if (result)
                ReturnObject(*result, new AddIns());
            return S_OK;
        case kApplicationQuit: OnQuitRequested(); return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace

DispatchObject* NewApplication()
{
    return new Application();
}
