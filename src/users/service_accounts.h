// The accounts services run as. They have profiles and Excel lists of their
// own, which no user ever sees. Pure: no I/O, no Windows.
#pragma once

#include <string>

// SYSTEM (S-1-5-18), LOCAL SERVICE (S-1-5-19), NETWORK SERVICE (S-1-5-20).
bool IsServiceAccount(const std::wstring& sid);

// What is wrong with a run as the account sid: a run as a service account
// would change or check only that account's own lists, so it must cover
// every user (/allusers). Empty when the run may go on, also when the
// account could not be told (sid empty).
std::string ServiceAccountProblem(const std::wstring& sid, bool allUsers);
