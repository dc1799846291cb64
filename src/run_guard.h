// The run's last line of defence: whatever escapes it ends it in order.
// With the runs on top; in the core library only so that tests reach it.
#pragma once

#include <functional>

// Runs run and returns its status. An exception that escapes it (out of
// memory, say) is reported, ends any Excel this run started, and gives
// status 6 when it broke off a change of Excel's lists, else 2.
int RunGuarded(const std::function<int()>& run);
