// The program as a whole: its start, its event loop and the end that unloads every form.
#pragma once

#include <exception>

namespace velk {

// Loads the splash, whose load runs the start-up, then runs the event loop while the main window
// is up. Returns the program's exit status: 0 after a normal end, non-zero after an error.
int runProgram();

// True while the event loop of a running program turns (an ended program leaves it).
bool mainLoopRunning();
void setMainLoopRunning(bool running);

// Reports an error that escaped an event handler (it cannot unwind through the event loop) and
// ends the program with status 1, as the state the handler left cannot be trusted. Silent once the
// program is ending, so a failure that leads to others is reported once.
void endAfterEscapedError(std::exception_ptr error);

// Deletes the splash and the main window with every form it holds, at once (end of the program, tests).
void unloadAllForms();

} // namespace velk
