// Placeholders for functions that other branches provide, so this branch links.
#include <windows.h>
#include "shell/log.h"
#include "graphics/scene_resources.h"

#include <cstdio>

void ResetLog()
{
    if (FILE* f = std::fopen("log.log", "w")) std::fclose(f);
}

void WriteLog(const char* message)
{
    if (FILE* f = std::fopen("log.log", "a")) {
        std::fprintf(f, "%s\n", message);
        std::fclose(f);
    }
}


HMODULE GetModuleHandleA(LPCSTR) { return nullptr; }
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
