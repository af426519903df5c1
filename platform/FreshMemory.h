#pragma once

#include <cstddef>

// Asks the system for every page of [begin, begin + bytes) at once, ready to be written, where
// it can: a buffer of a whole screen is otherwise given a page at a time as it is first
// written, each page a fault of its own. Nothing happens where the system cannot.
void prepareForWriting(void *begin, size_t bytes);
