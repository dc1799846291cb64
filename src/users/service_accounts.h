// The accounts that are no person's: services run as them, and they have
// profiles and Excel lists of their own, which no user ever sees. Pure: no
// I/O, no Windows.
#pragma once

#include <string>

// A person's account: a local or domain one (S-1-5-21-...) or one of
// Microsoft Entra ID (S-1-12-1-...). Every other account is a service's:
// SYSTEM, LOCAL SERVICE, NETWORK SERVICE, a service's virtual account
// (S-1-5-80-...), an application pool's identity (S-1-5-82-...), and the
// like.
bool IsPersonsSid(const std::wstring& sid);

// What is wrong with a run as the account sid: a run as an account that is
// no person's would change or check only that account's own lists, so it
// must cover every user (/allusers). Empty when the run may go on, also
// when the account could not be told (sid empty).
std::string ServiceAccountProblem(const std::wstring& sid, bool allUsers);
