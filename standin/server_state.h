#pragma once

#include "settings.h"

#include <windows.h>

// What the objects share. Children reach it here instead of holding a
// reference on their parent, so the only releases the server sees are the
// client's own.
struct ServerState {
    Settings settings;
    DWORD threadId = 0;
    long liveObjects = 0;
    int workbooksAdded = 0;
    DWORD invokesTurnedAway = 0;
    bool quitRequested = false;
};

ServerState& Server();

// The server leaves its message loop once it has been told to quit and
// nothing it handed out is still alive.
void OnObjectCreated();
void OnObjectDestroyed();
void OnQuitRequested();
