#pragma once

// Starts the program again, once, with the C library asked to back its large blocks (a
// screen's pictures) with 2 MB pages where the system gives them on request. A block of fresh
// memory is otherwise handed over 4 KB at a time as it is first written, and on a virtual
// machine each of those faults is dear: a zoomed start writes a hundred megabytes or more.
// Returns only when it did not start again: on another system, when the user set the C
// library's tunables, or in the program started again (which finds the environment as it was).
void startWithHugePages(char **argv);
