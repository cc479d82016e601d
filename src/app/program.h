// The program as a whole: its start, its event loop and the end that unloads every form.
#pragma once

namespace velk {

// Loads the splash, whose load runs the start-up, then runs the event loop while the main window
// is up. Returns the program's exit status: 0 after a normal end, non-zero after an error.
int runProgram();

// True while the event loop of a running program turns (an ended program leaves it).
bool mainLoopRunning();
void setMainLoopRunning(bool running);

// Deletes the splash and the main window with every form it holds, at once (end of the program, tests).
void unloadAllForms();

} // namespace velk
