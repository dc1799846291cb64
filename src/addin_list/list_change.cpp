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
// order, through the key they were read from; a failed step stops it there.
ListError ChangeOpenValues(const ExcelList& list, const OpenListChange& change,
                           const std::string& where)
{
    const std::wstring path = OptionsKeyPath(list.version);
    const RegistryKey& options = list.optionsKey;
    for (const StoredValue& value : change.removed) {
        LogEvent("removing: " + where + " " + AnsiFromWide(value.name) + " " + Shown(value));
    }
    for (const MovedValue& move : change.moves) {
        const LSTATUS status = options.Write(move.value);
        if (status != ERROR_SUCCESS) {
            return {status, path};
        }
        LogEvent("moved: " + where + " " + AnsiFromWide(move.from) + " to " +
                 AnsiFromWide(move.value.name) + " " + Shown(move.value));
    }
    for (const std::wstring& name : change.deletes) {
        const LSTATUS status = options.Delete(name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return {status, path};
        }
        LogEvent("deleted: " + where + " " + AnsiFromWide(name));
    }
    return {};
}

// An Add-in Manager value for the add-in, unless Excel lists it anyway
// (it lies in the user's add-ins folder) or a value names it already.
ListError KeepListed(ExcelList& list, const AddInMatcher& addIn, KeyLinks links,
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
    LSTATUS status = ERROR_SUCCESS;
    if (list.addInManagerKey.Get() == nullptr) {
        status = list.addInManagerKey.CreateChild(list.excelKey.Get(), L"Add-in Manager",
                                                  KEY_READ | KEY_SET_VALUE, links);
    }
    if (status == ERROR_SUCCESS) {
        status = list.addInManagerKey.Write(StringValue(addIn.FullPath(), L""));
    }
    if (status != ERROR_SUCCESS) {
        return {status, path};
    }
    LogEvent("added: " + where + " Add-in Manager \"" + AnsiFromWide(addIn.FullPath()) + "\"");
    return {};
}

ListError TakeOffDialog(const ExcelList& list, const AddInMatcher& addIn, const std::string& where,
                        bool& changed)
{
    changed = false;
    for (const std::wstring& name : list.addInManager) {
        if (!addIn.IsPath(name)) {
            continue;
        }
        const LSTATUS status = list.addInManagerKey.Delete(name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return {status, AddInManagerKeyPath(list.version)};
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

ListChangeOutcome TakeOutOfLists(HKEY userRoot, KeyLinks links, const AddInMatcher& addIn,
                                 DialogEntry entry, const std::string& who)
{
    const ListChangeUnderWay underWay;
    ListChangeOutcome outcome;
    std::vector<ExcelList> lists;
    outcome.error = ReadExcelLists(userRoot, lists, links, ListAccess::Change);
    if (outcome.error) {
        return outcome;
    }
    for (ExcelList& list : lists) {
        const std::string where = Where(who, list.version);
        const OpenListChange change = PlanRemoval(
            list.options, [&](const StoredValue& value) { return addIn.NamedBy(value); });
        // Listed first, then taken out: cut short in between, the add-in is
        // still installed rather than lost from the dialog.
        if (entry == DialogEntry::KeepListed && !change.Empty()) {
            outcome.error = KeepListed(list, addIn, links, where);
        } else if (entry == DialogEntry::TakeOff) {
            bool changed = false;
            outcome.error = TakeOffDialog(list, addIn, where, changed);
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
        outcome.error = ChangeOpenValues(list, change, where);
        if (outcome.error) {
            return outcome;
        }
        for (const StoredValue& value : change.removed) {
            outcome.removed.push_back({list.version, value.name, StoredText(value)});
        }
    }
    return outcome;
}
