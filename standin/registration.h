#pragma once

// Per-user registration, so no elevation is needed to set up a test machine.
bool RegisterServer();
bool UnregisterServer();
