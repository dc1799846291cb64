#pragma once

#include "registry_key.h"

#include <optional>
#include <string>
#include <vector>

struct ListedAddIn {
    // The full path; empty for an add-in that is no file (an automation
    // add-in), which no path ever matches.
    std::wstring path;
    bool installed = false;
    // Installed add-ins are written back in this order.
    unsigned long order = 0;
    // The OPEN value it was read from, written back as it was while the
    // add-in stays installed.
    std::optional<StoredValue> openValue;
};

// Excel's list of add-ins as it keeps it while it runs: every add-in it
// knows, in the order it learnt of them, each installed or not. Add-ins are
// never taken off, so a place in the list stays valid.
class AddInList {
public:
    // One read from an OPEN value; a second value naming the same file adds
    // nothing, as Excel lists each add-in once.
    void AddInstalled(const std::wstring& path, StoredValue openValue);
    // One listed under "Add-in Manager", unless it is listed already.
    void AddListed(const std::wstring& path);

    // The place of the add-in with this path, compared as Windows compares
    // file names.
    std::optional<size_t> PlaceOf(const std::wstring& path) const;
    // The same, appending a new add-in, not installed, when none has it.
    size_t Find(const std::wstring& path);
    const ListedAddIn& At(size_t place) const { return addIns_[place]; }
    const std::vector<ListedAddIn>& All() const { return addIns_; }

    // Installing makes it the last installed add-in.
    void SetInstalled(size_t place, bool installed);
    // An Excel that did not take the change: each add-in installed in
    // earlier (a copy of this list from before) is installed again, in its
    // old place.
    void KeepInstalledFrom(const AddInList& earlier);

    std::vector<const ListedAddIn*> InstalledInOrder() const;

private:
    std::vector<ListedAddIn> addIns_;
    unsigned long nextOrder_ = 0;
};
