#pragma once

// Runs as Excel started by COM (-Embedding): serves one client, then writes
// back its list of add-ins. Returns the process's exit status.
int RunServer();
