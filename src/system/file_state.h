// What the file system says of a path.
#pragma once

#include "system/path_state.h"

#include <string>

// Only "not found" in a folder or on a drive that is there counts as Gone:
// a thing that can't be read, a share that can't be reached, or a drive
// letter this process doesn't have may still be there.
FileState StateOf(const std::wstring& path);
