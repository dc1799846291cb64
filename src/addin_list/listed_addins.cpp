#include "addin_list/listed_addins.h"

#include "addin_list/open_value.h"

std::vector<ListedAddIn> ListedAddIns(const std::vector<StoredValue>& options,
                                      const std::vector<std::wstring>& addInManager,
                                      const PathBase& base)
{
    std::vector<ListedAddIn> listed;
    for (const StoredValue& value : OpenValues(options)) {
        ListedAddIn entry{value.name, StoredText(value), true, {}};
        const OpenValue open = ParseOpenValue(entry.value);
        if (!open.automation) {
            entry.path = FullPath(open.file, base);
        }
        listed.push_back(std::move(entry));
    }
    for (const std::wstring& name : addInManager) {
        listed.push_back({kAddInManagerPlace, name, false, FullPath(name, base)});
    }
    return listed;
}

const wchar_t* FileLookName(FileLook look)
{
    switch (look) {
    case FileLook::Found: return L"found";
    case FileLook::Gone: return L"gone";
    case FileLook::NotLookedAt: break;
    }
    return L"not looked at";
}

bool NamesXll(const ListedAddIn& entry)
{
    const std::wstring& path = entry.path;
    if (path.size() < 4) {
        return false;
    }
    std::wstring extension = path.substr(path.size() - 4);
    for (wchar_t& c : extension) {
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    return extension == L".xll";
}

std::wstring InventoryLine(const std::wstring& version, const ListedAddIn& entry, FileLook look,
                           std::optional<int> xllBits, std::optional<int> excelBits)
{
    std::wstring line = L"Excel " + version + L": " +
                        (entry.installed ? L"installed (" : L"not installed (") + entry.where +
                        L"): \"" + entry.value + L"\" ";
    if (entry.path.empty()) {
        return line + (ParseOpenValue(entry.value).automation ? L"is an automation add-in, no file"
                                                              : L"names no file");
    }
    line += L"is " + entry.path + L": " + FileLookName(look);
    if (!xllBits) {
        return line;
    }
    line += L", a " + std::to_wstring(*xllBits) + L"-bit XLL";
    if (!excelBits) {
        return line;
    }
    return line + (*xllBits == *excelBits
                       ? L", as Excel is"
                       : L", which " + std::to_wstring(*excelBits) + L"-bit Excel can't load");
}
