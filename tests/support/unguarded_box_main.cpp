// unguarded-box: shows an error box as uninstall-addin does, but leaves the
// DLL search as Windows sets it, the program's own folder first.

#include <windows.h>

int main()
{
    MessageBoxA(nullptr, "A box from a program that searches its own folder for DLLs.", "Error",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 0;
}
