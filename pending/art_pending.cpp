// Placeholders so the program links on this branch; the real ones live elsewhere.
#include <windows.h>

HMODULE WINAPI GetModuleHandleA(LPCSTR) { return nullptr; }
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
