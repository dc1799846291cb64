#pragma once

#include "dispatch_object.h"

// The root of the slice of Excel's object model the uninstaller talks to.
// The caller owns the one reference the new object starts with.
DispatchObject* NewApplication();
