// The portable process entry: hands WinMain the command line after the program name,
// the arguments joined by single blanks, as the platform passes it to a GUI program.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
