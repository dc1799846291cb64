// Hives that a run killed while it had them loaded left under HKEY_USERS
// (a deployment tool's time-out ends a process with no handler run): until
// someone unloads them they stay loaded, and their user's next logon gets
// a temporary profile. Every run that loads hives first unloads them.
#pragma once

// Unloads every hive under HKEY_USERS of this program's naming whose run no
// longer runs, each told in the log; one that won't unload is reported, and
// left for the next run. Needs the backup and restore privileges.
void UnloadLeftoverHives();
