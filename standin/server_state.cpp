#include "server_state.h"

#include "addin_keys.h"

namespace {

// Excel writes its list back as it quits. Doing it before the client's last
// release returns means that whoever looks once the client is done sees
// the final list.
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
    PostQuitMessage(0);
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
