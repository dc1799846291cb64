// What a run decides about the hives it loads under HKEY_USERS: whose a
// loaded hive is, and whether an unload is worth trying again. Pure: no
// Windows, fed what the calls answered.
#pragma once

#include <optional>
#include <string>

// The name a run gives the n-th hive it loads under HKEY_USERS:
// "uninstall-addin-<process id>-<n>".
std::wstring HiveLoadName(unsigned long processId, unsigned long n);

// The process id in a name of that form (without regard to case, as key
// names compare); none for any other name, this program's or not.
std::optional<unsigned long> LoaderOf(const std::wstring& keyName);

// What was learnt of the process whose id a hive's name carries.
enum class LoaderState {
    None,          // no process has that id
    Unopenable,    // access denied: the system's or a protected process, none of ours
    Ended,         // it has ended; something still holds a handle to it
    OtherProgram,  // the id now belongs to another program
    ThisProgram,   // it runs this program: it may be using the hive right now
    Unknown,       // it can't be told
};

// Whether a hive loaded under the name of loaderId is a leftover of a run
// that no longer runs, for this run (ownProcessId) to unload. A hive named
// for this very process is one, since a run looks before it loads anything:
// the id was reused.
bool IsLeftoverHive(unsigned long loaderId, unsigned long ownProcessId, LoaderState loader);

// Whether a failed unload's status (or a failed deletion's) says that
// another process holds a handle into the hive or file, as an antivirus, the
// search indexer or a backup agent does for a moment: worth trying again
// shortly.
bool HeldElsewhere(long status);
