// Takes the add-in out of one user's Excel lists, and says where it was.
// Every value removed, moved or added is logged with its data, so that an
// administrator can put any of it back.
#pragma once

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"

#include <windows.h>

#include <string>
#include <vector>

// One OPEN value that names one of the add-ins.
struct InstalledPlace {
    std::wstring version;    // "16.0"
    std::wstring valueName;  // "OPEN2"
    std::wstring data;       // as stored
    size_t addIn = 0;        // which of the add-ins it names: the first that matched
};

// One Add-in Manager value taken off.
struct DialogPlace {
    std::wstring version;
    std::wstring name;  // as stored: the path
    size_t addIn = 0;
};

// Where the lists have the add-ins installed, newest version first.
std::vector<InstalledPlace> InstalledPlaces(const std::vector<ExcelList>& lists,
                                            const std::vector<AddInMatcher>& addIns);

// What becomes of the add-in's entry in the Add-ins dialog.
enum class DialogEntry {
    KeepListed,  // unticked, as an uninstall through Excel leaves it
    TakeOff,     // gone from the dialog too
};

struct ListChangeOutcome {
    std::vector<InstalledPlace> removed;      // the OPEN values taken out
    std::vector<DialogPlace> takenOffDialog;  // the Add-in Manager values that went
    ListError error;                          // the change stopped here
};

// Marks a change of Excel's lists as under way for as long as it lives. An
// exception that leaves the scope leaves the mark, so that the run's end
// can tell that a change was broken off.
class ListChangeUnderWay {
public:
    ListChangeUnderWay();
    ~ListChangeUnderWay();

    ListChangeUnderWay(const ListChangeUnderWay&) = delete;
    ListChangeUnderWay& operator=(const ListChangeUnderWay&) = delete;

private:
    int m_exceptions;
};

// Whether a change of Excel's lists is under way, or was broken off by an
// exception.
bool ChangingAList();

// Reads userRoot's lists once, through keys opened for reading and writing
// (each as links says), and through those same keys takes every OPEN value
// that names one of the add-ins out of them in one change, renumbering the
// rest, and keeps or takes off their Add-in Manager entries. who prefixes
// the log lines ("" or a user). The caller holds the turn at changing the
// lists (lists_turn.h).
ListChangeOutcome TakeOutOfLists(HKEY userRoot, KeyLinks links,
                                 const std::vector<AddInMatcher>& addIns, DialogEntry entry,
                                 const std::string& who);
