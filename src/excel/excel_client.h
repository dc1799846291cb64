// The program's conversation with Excel, run as a local automation server.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

// What AddIns.Add is told about copying the add-in into the user's add-ins
// folder.
enum class CopyChoice {
    NotAsked,  // no CopyFile argument: Excel asks nothing for a local disk
    DontCopy,  // CopyFile false: the add-in stays where it is
};

class CNuvExcelAuto {
public:
    // Opens a single-threaded apartment for the calling thread.
    CNuvExcelAuto();
    // Closes the apartment, if the constructor opened it. The Excel
    // references are Shutdown's to release.
    virtual ~CNuvExcelAuto();

    CNuvExcelAuto(const CNuvExcelAuto&) = delete;
    CNuvExcelAuto& operator=(const CNuvExcelAuto&) = delete;

    // Starts Excel and fetches its workbook collection. Returns 1 on success,
    // -1 when "Excel.Application" is not registered, -2 when it can't be
    // started; a failure has already been reported.
    int Init();

    // Opens a new workbook, adds the add-in at fullPath and marks it not
    // installed.
    void UninstallAddIn(const std::wstring& fullPath, CopyChoice copy);

    // Tells Excel to quit, releases every reference still held, and waits
    // until the Excel this run started has ended (ending it if it could not
    // be told to quit).
    void Shutdown();

    // False once any call on Excel has failed (each failure was reported
    // where it happened).
    bool AllCallsSucceeded() const { return m_allCallsSucceeded; }

private:
    // args in the order of the member's parameters.
    bool CallForObject(int flags, IDispatch* target, LPCOLESTR memberName, IDispatch** object,
                       const std::vector<VARIANT>& args = {});
    bool Call(int flags, IDispatch* target, LPCOLESTR memberName,
              const std::vector<VARIANT>& args = {});
    bool AddAddIn(IDispatch* addIns, const std::wstring& fullPath, CopyChoice copy,
                  IDispatch** addIn);
    void MarkNotInstalled(IDispatch* addIn);

    bool m_comInitialized = false;
    IDispatch* m_application = nullptr;
    IDispatch* m_workbooks = nullptr;
    IDispatch* m_workbook = nullptr;
    // Whether the "Workbooks" get succeeded, so that a failed get skips the
    // workbook instead of calling through a reference nothing produced.
    bool m_haveWorkbooks = false;
    bool m_allCallsSucceeded = true;
};
