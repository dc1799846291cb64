#include "server_state.h"

namespace {

void ExitIfDone()
{
    const ServerState& server = Server();
    if (server.quitRequested && server.liveObjects == 0)
        PostThreadMessageW(server.threadId, WM_QUIT, 0, 0);
}

}  // namespace

ServerState& Server()
{
    static ServerState state;
    return state;
}

void OnObjectCreated()
{
    InterlockedIncrement(&Server().liveObjects);
}

void OnObjectDestroyed()
{
    InterlockedDecrement(&Server().liveObjects);
    ExitIfDone();
}

void OnQuitRequested()
{
    Server().quitRequested = true;
    ExitIfDone();
}
