#include "server_state.h"

#include "addin_keys.h"

namespace {

// Excel writes its list back as it quits. Doing it before the client's last
// release returns means that whoever looks once the client is done sees
// the final list, and no main window is left for the next client's check.
void EndIfDone()
{
    ServerState& server = Server();
    if (!server.served || server.liveObjects != 0 || server.ended)
        return;
    server.ended = true;
    AddInList addIns = server.addIns;
    if (server.settings.keepInstalledOnExit)
        addIns.KeepInstalledFrom(server.addInsAtStart);
    WriteAddInList(addIns);
    // Its end ends the message loop.
    DestroyWindow(server.mainWindow);
}

}  // namespace

ServerState& Server()
{
    static ServerState state;
    return state;
}

void OnApplicationCreated()
{
    Server().served = true;
}

void OnObjectCreated()
{
    InterlockedIncrement(&Server().liveObjects);
}

void OnObjectDestroyed()
{
    InterlockedDecrement(&Server().liveObjects);
    EndIfDone();
}

void OnQuitRequested()
{
    Server().quitRequested = true;
}
