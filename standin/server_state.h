#pragma once

#include "addin_list.h"
#include "settings.h"

#include <windows.h>

// What the objects share. Children reach it here instead of holding a
// reference on their parent, so the only releases the server sees are the
// client's own.
struct ServerState {
    Settings settings;
    HWND mainWindow = nullptr;
    AddInList addIns;
    AddInList addInsAtStart;
    long liveObjects = 0;
    int workbooksAdded = 0;
    DWORD invokesTurnedAway = 0;
    bool served = false;
    bool quitRequested = false;
    bool ended = false;
};

ServerState& Server();

// The server ends once it has served a client and nothing it handed out is
// still alive, whether or not it was told to quit, as Excel under
// automation does when its last reference goes.
void OnApplicationCreated();
void OnObjectCreated();
void OnObjectDestroyed();
void OnQuitRequested();
