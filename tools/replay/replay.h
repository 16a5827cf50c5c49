// The runner's whole run as a call, for vantrel-replay's main and for the browser page,
// which runs a script when the page is opened with one: the arguments after the program
// name as `vantrel-replay` takes them; returns its exit code.
#pragma once

int ReplayMain(int argc, char** argv);
