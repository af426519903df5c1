#pragma once

// Starts program (with argv) in place of this one, with the C library asked to back its large
// blocks (a screen's pictures) with 2 MB pages where the system gives them on request. A block
// of fresh memory is otherwise handed over 4 KB at a time as it is first written, and on a
// virtual machine each of those faults is dear: a zoomed start writes a hundred megabytes or
// more. Returns only when it did not: when not worth it, on another system, when the user set
// the C library's tunables, or in the program so started (which finds the environment as it
// was).
void startWithHugePages(const char *program, char **argv, bool worthIt);
