#pragma once

// Where the class is registered. The ProgIDs, which both views of the
// registry share, go to the same place either way.
enum class ClassView {
    Native,     // the 64-bit view, per user: no elevation is needed
    Only32Bit,  // only the machine's 32-bit view, as a 32-bit Office on 64-bit Windows
};

bool RegisterServer(ClassView view);
// Takes out the registration of either kind.
bool UnregisterServer();
