// What a run decides about the hives it loads under HKEY_USERS: whose a
// loaded hive is, whether an unload is worth trying again, and whether a
// load opened the file that was looked at or made an empty one. Pure: no
// Windows, fed what the calls answered.
#pragma once

#include <cstdint>
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

// Which file a path names, as the file system told.
struct FileMark {
    enum class State { Absent, Present, Unknown };
    State state = State::Unknown;
    // While Present: its volume, its index there and its creation time. A
    // file made under a name freed seconds before takes over the old one's
    // creation time (the file system's "tunnelling"), not its index.
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t created = 0;
};

// Whether two marks name the same file, or the same absence.
bool SameFile(const FileMark& a, const FileMark& b);

// A hive file and its two transaction logs (<file>.LOG1, <file>.LOG2).
struct HiveFileMarks {
    FileMark hive;
    FileMark log1;
    FileMark log2;
};

// What a load did: loading a file that is missing makes an empty hive of
// that name. Which files to delete is told when it did.
struct LoadVerdict {
    bool madeByLoad = false;
    bool removeHive = false;
    bool removeLog1 = false;
    bool removeLog2 = false;
};

// Judges a load from the files as they were right before it and right
// after, and whether the loaded root holds nothing (no value, no key), as a
// hive the load made does and a user's never does. Another file than the
// one looked at, and an empty root: the load made it, and every file that
// is new since the look goes.
LoadVerdict JudgeLoad(const HiveFileMarks& before, const HiveFileMarks& after, bool rootEmpty);
