#include "addin_list.h"

#include "text.h"

#include <algorithm>
#include <utility>

void AddInList::AddInstalled(const std::wstring& path, StoredValue openValue)
{
    if (PlaceOf(path))
        return;
    addIns_.push_back({path, true, nextOrder_++, std::move(openValue)});
}

void AddInList::AddListed(const std::wstring& path)
{
    if (!PlaceOf(path))
        addIns_.push_back({path, false, 0, std::nullopt});
}

size_t AddInList::Find(const std::wstring& path)
{
    if (const std::optional<size_t> place = PlaceOf(path))
        return *place;
    AddListed(path);
    return addIns_.size() - 1;
}

void AddInList::SetInstalled(size_t place, bool installed)
{
    ListedAddIn& addIn = addIns_[place];
    if (installed && !addIn.installed)
        addIn.order = nextOrder_++;
    addIn.installed = installed;
}

void AddInList::KeepInstalledFrom(const AddInList& earlier)
{
    for (size_t place = 0; place < earlier.addIns_.size(); ++place) {
        if (earlier.addIns_[place].installed)
            addIns_[place] = earlier.addIns_[place];
    }
}

std::vector<const ListedAddIn*> AddInList::InstalledInOrder() const
{
    std::vector<const ListedAddIn*> installed;
    for (const ListedAddIn& addIn : addIns_) {
        if (addIn.installed)
            installed.push_back(&addIn);
    }
    std::sort(installed.begin(), installed.end(),
              [](const ListedAddIn* a, const ListedAddIn* b) { return a->order < b->order; });
    return installed;
}

std::optional<size_t> AddInList::PlaceOf(const std::wstring& path) const
{
    if (path.empty())
        return std::nullopt;
    for (size_t place = 0; place < addIns_.size(); ++place) {
        if (SameText(addIns_[place].path, path))
            return place;
    }
    return std::nullopt;
}
