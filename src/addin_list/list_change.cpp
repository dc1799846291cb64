#include "addin_list/list_change.h"

#include "addin_list/registry_key.h"
#include "report/log_file.h"
#include "report/text.h"

#include <exception>

namespace {

bool changingAList = false;

std::string Shown(const StoredValue& value)
{
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        return "\"" + AnsiFromWide(StoredText(value)) + "\"";
    }
    return "(type " + std::to_string(value.type) + ", " + std::to_string(value.data.size()) +
           " bytes)";
}

std::string Where(const std::string& who, const std::wstring& version)
{
    return (who.empty() ? "" : who + " ") + ExcelName(version);
}

// Carries out the planned change of one version's OPEN values, in its
// order; a failed step stops it there.
ListError ChangeOpenValues(HKEY userRoot, const std::wstring& version, const OpenListChange& change,
                           const std::string& where)
{
    const std::wstring path = OptionsKeyPath(version);
    RegistryKey options;
    LSTATUS status = options.Open(userRoot, path, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (status != ERROR_SUCCESS) {
        return {status, path};
    }
    for (const StoredValue& value : change.removed) {
        LogEvent("removing: " + where + " " + AnsiFromWide(value.name) + " " + Shown(value));
    }
    for (const MovedValue& move : change.moves) {
        status = options.Write(move.value);
        if (status != ERROR_SUCCESS) {
            return {status, path};
        }
        LogEvent("moved: " + where + " " + AnsiFromWide(move.from) + " to " +
                 AnsiFromWide(move.value.name) + " " + Shown(move.value));
    }
    for (const std::wstring& name : change.deletes) {
        status = options.Delete(name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return {status, path};
        }
        LogEvent("deleted: " + where + " " + AnsiFromWide(name));
    }
    return {};
}

// An Add-in Manager value for the add-in, unless Excel lists it anyway
// (it lies in the user's add-ins folder) or a value names it already.
ListError KeepListed(HKEY userRoot, const ExcelList& list, const AddInMatcher& addIn,
                     const std::string& where)
{
    if (addIn.InAddInsFolder()) {
        return {};
    }
    for (const std::wstring& name : list.addInManager) {
        if (addIn.IsPath(name)) {
            return {};
        }
    }
    const std::wstring path = AddInManagerKeyPath(list.version);
    RegistryKey manager;
    LSTATUS status = manager.Create(userRoot, path, KEY_SET_VALUE);
    if (status == ERROR_SUCCESS) {
        status = manager.Write(StringValue(addIn.FullPath(), L""));
    }
    if (status != ERROR_SUCCESS) {
        return {status, path};
    }
    LogEvent("added: " + where + " Add-in Manager \"" + AnsiFromWide(addIn.FullPath()) + "\"");
    return {};
}

ListError TakeOffDialog(HKEY userRoot, const ExcelList& list, const AddInMatcher& addIn,
                        const std::string& where, bool& changed)
{
    changed = false;
    const std::wstring path = AddInManagerKeyPath(list.version);
    RegistryKey manager;
    for (const std::wstring& name : list.addInManager) {
        if (!addIn.IsPath(name)) {
            continue;
        }
        LSTATUS status =
            manager.Get() != nullptr ? ERROR_SUCCESS : manager.Open(userRoot, path, KEY_SET_VALUE);
        if (status == ERROR_SUCCESS) {
            status = manager.Delete(name);
        }
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return {status, path};
        }
        LogEvent("deleted: " + where + " Add-in Manager \"" + AnsiFromWide(name) + "\"");
        changed = true;
    }
    return {};
}

}  // namespace

ListChangeUnderWay::ListChangeUnderWay() : m_exceptions(std::uncaught_exceptions())
{
    changingAList = true;
}

ListChangeUnderWay::~ListChangeUnderWay()
{
    if (std::uncaught_exceptions() == m_exceptions) {
        changingAList = false;
    }
}

bool ChangingAList()
{
    return changingAList;
}

std::vector<InstalledPlace> InstalledPlaces(const std::vector<ExcelList>& lists,
                                            const AddInMatcher& addIn)
{
    std::vector<InstalledPlace> places;
    for (const ExcelList& list : lists) {
        for (const StoredValue& value : OpenValues(list.options)) {
            if (addIn.NamedBy(value)) {
                places.push_back({list.version, value.name, StoredText(value)});
            }
        }
    }
    return places;
}

ListChangeOutcome TakeOutOfLists(HKEY userRoot, const std::vector<ExcelList>& lists,
                                 const AddInMatcher& addIn, DialogEntry entry,
                                 const std::string& who)
{
    const ListChangeUnderWay underWay;
    ListChangeOutcome outcome;
    for (const ExcelList& list : lists) {
        const std::string where = Where(who, list.version);
        const OpenListChange change = PlanRemoval(
            list.options, [&](const StoredValue& value) { return addIn.NamedBy(value); });
        // Listed first, then taken out: cut short in between, the add-in is
        // still installed rather than lost from the dialog.
        if (entry == DialogEntry::KeepListed && !change.Empty()) {
            outcome.error = KeepListed(userRoot, list, addIn, where);
        } else if (entry == DialogEntry::TakeOff) {
            bool changed = false;
            outcome.error = TakeOffDialog(userRoot, list, addIn, where, changed);
            if (changed) {
                outcome.takenOffDialog.push_back(list.version);
            }
        }
        if (outcome.error) {
            return outcome;
        }
        if (change.Empty()) {
            continue;
        }
        outcome.error = ChangeOpenValues(userRoot, list.version, change, where);
        if (outcome.error) {
            return outcome;
        }
        for (const StoredValue& value : change.removed) {
            outcome.removed.push_back({list.version, value.name, StoredText(value)});
        }
    }
    return outcome;
}
