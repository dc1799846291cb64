// Where the program lets Windows look for the DLLs that it, and the system
// on its behalf, load while it runs.
#pragma once

// From here on, DLLs loaded by name come from the system folder only, not
// from the program's folder or the current one. Call it before anything else.
void LoadDllsFromSystemFolderOnly();
