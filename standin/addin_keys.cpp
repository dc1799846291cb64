#include "addin_keys.h"

#include "addins_folder.h"
#include "open_value.h"
#include "standin_ids.h"

#include <utility>

namespace {

using Access = RegistryKey::Access;

// Only a REG_SZ value can name a file; any other is kept and never matched.
std::wstring FileOf(const StoredValue& openValue)
{
    const std::wstring file = FileNamedBy(TextOf(openValue));
    return file.empty() ? file : ResolvedAddInPath(file);
}

StoredValue OpenValueOf(const ListedAddIn& addIn, size_t place)
{
    StoredValue value = addIn.openValue ? *addIn.openValue : TextValue({}, OpenTextFor(addIn.path));
    value.name = OpenValueName(place);
    return value;
}

void KeepFirstError(LSTATUS& result, LSTATUS status)
{
    if (result == ERROR_SUCCESS)
        result = status;
}

LSTATUS WriteOpenValues(const AddInList& list)
{
    const RegistryKey options(standin::kOptionsKey, Access::Write);
    LSTATUS result = options.Status();
    for (const StoredValue& value : options.ReadAll()) {
        if (IsOpenValueName(value.name))
            KeepFirstError(result, options.Delete(value.name));
    }
    size_t place = 0;
    for (const ListedAddIn* addIn : list.InstalledInOrder())
        KeepFirstError(result, options.Write(OpenValueOf(*addIn, place++)));
    return result;
}

LSTATUS WriteAddInManager(const AddInList& list)
{
    const RegistryKey manager(standin::kAddInManagerKey, Access::Write);
    LSTATUS result = manager.Status();
    for (const ListedAddIn& addIn : list.All()) {
        if (addIn.path.empty())
            continue;
        if (addIn.installed)
            KeepFirstError(result, manager.Delete(addIn.path));
        else if (!InUserAddInsFolder(addIn.path) && !manager.Read(addIn.path))
            KeepFirstError(result, manager.Write(TextValue(addIn.path, L"")));
    }
    return result;
}

}  // namespace

AddInList ReadAddInList()
{
    AddInList list;
    const RegistryKey options(standin::kOptionsKey, Access::Read);
    for (size_t place = 0;; ++place) {
        std::optional<StoredValue> value = options.Read(OpenValueName(place));
        if (!value)
            break;
        const std::wstring path = FileOf(*value);
        list.AddInstalled(path, std::move(*value));
    }
    const RegistryKey manager(standin::kAddInManagerKey, Access::Read);
    for (const StoredValue& value : manager.ReadAll())
        list.AddListed(value.name);
    return list;
}

LSTATUS WriteAddInList(const AddInList& list)
{
    const LSTATUS options = WriteOpenValues(list);
    const LSTATUS manager = WriteAddInManager(list);
    return options != ERROR_SUCCESS ? options : manager;
}
