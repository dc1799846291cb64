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

// The first of the add-ins that matches; addIns.size() for none.
template <typename Matches>
size_t FirstMatching(const std::vector<AddInMatcher>& addIns, Matches matches)
{
    for (size_t i = 0; i < addIns.size(); ++i) {
        if (matches(addIns[i])) {
            return i;
        }
    }
    return addIns.size();
}

// The first of the add-ins an OPEN value names, or an Add-in Manager value's
// name is.
size_t AddInNamedBy(const std::vector<AddInMatcher>& addIns, const StoredValue& value)
{
    return FirstMatching(addIns, [&](const AddInMatcher& addIn) { return addIn.NamedBy(value); });
}

size_t AddInAt(const std::vector<AddInMatcher>& addIns, const std::wstring& path)
{
    return FirstMatching(addIns, [&](const AddInMatcher& addIn) { return addIn.IsPath(path); });
}

// An Add-in Manager value for the file an OPEN value that goes names,
// unless Excel lists it anyway (it lies in the user's add-ins folder) or a
// value names it already.
ListError KeepListed(ExcelList& list, const AddInMatcher& addIn, const StoredValue& goes,
                     KeyLinks links, const std::string& where)
{
    const std::wstring path = addIn.DialogPathOf(goes);
    if (path.empty() || addIn.ListedWithoutEntry(path)) {
        return {};
    }
    for (const std::wstring& name : list.addInManager) {
        if (addIn.Lists(name, path)) {
            return {};
        }
    }
    const std::wstring keyPath = AddInManagerKeyPath(list.version);
    LSTATUS status = ERROR_SUCCESS;
    if (list.addInManagerKey.Get() == nullptr) {
        status = list.addInManagerKey.CreateChild(list.excelKey.Get(), L"Add-in Manager",
                                                  KEY_READ | KEY_SET_VALUE, links);
    }
    if (status == ERROR_SUCCESS) {
        status = list.addInManagerKey.Write(StringValue(path, L""));
    }
    if (status != ERROR_SUCCESS) {
        return {status, keyPath};
    }
    list.addInManager.push_back(path);
    LogEvent("added: " + where + " Add-in Manager \"" + AnsiFromWide(path) + "\"");
    return {};
}

ListError TakeOffDialog(const ExcelList& list, const std::vector<AddInMatcher>& addIns,
                        const std::string& where, std::vector<DialogPlace>& taken)
{
    for (const std::wstring& name : list.addInManager) {
        const size_t addIn = AddInAt(addIns, name);
        if (addIn == addIns.size()) {
            continue;
        }
        const LSTATUS status = list.addInManagerKey.Delete(name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return {status, AddInManagerKeyPath(list.version)};
        }
        LogEvent("deleted: " + where + " Add-in Manager \"" + AnsiFromWide(name) + "\"");
        taken.push_back({list.version, name, addIn});
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
                                            const std::vector<AddInMatcher>& addIns)
{
    std::vector<InstalledPlace> places;
    for (const ExcelList& list : lists) {
        for (const StoredValue& value : OpenValues(list.options)) {
            const size_t addIn = AddInNamedBy(addIns, value);
            if (addIn < addIns.size()) {
                places.push_back({list.version, value.name, StoredText(value), addIn});
            }
        }
    }
    return places;
}

ListChangeOutcome TakeOutOfLists(HKEY userRoot, KeyLinks links,
                                 const std::vector<AddInMatcher>& addIns, DialogEntry entry,
                                 const std::string& who)
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
        const OpenListChange change = PlanRemoval(list.options, [&](const StoredValue& value) {
            return AddInNamedBy(addIns, value) < addIns.size();
        });
        // Listed first, then taken out: cut short in between, the add-in is
        // still installed rather than lost from the dialog.
        if (entry == DialogEntry::KeepListed) {
            for (const StoredValue& goes : change.removed) {
                outcome.error =
                    KeepListed(list, addIns[AddInNamedBy(addIns, goes)], goes, links, where);
                if (outcome.error) {
                    return outcome;
                }
            }
        } else {
            outcome.error = TakeOffDialog(list, addIns, where, outcome.takenOffDialog);
            if (outcome.error) {
                return outcome;
            }
        }
        if (change.Empty()) {
            continue;
        }
        outcome.error = ChangeOpenValues(list, change, where);
        if (outcome.error) {
            return outcome;
        }
        for (const StoredValue& value : change.removed) {
            outcome.removed.push_back(
                {list.version, value.name, StoredText(value), AddInNamedBy(addIns, value)});
        }
    }
    return outcome;
}
