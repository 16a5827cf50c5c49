// vantrel-replay: the runner as a program of its own.
#include "tools/replay/replay.h"

int main(int argc, char** argv) { return ReplayMain(argc, argv); }
