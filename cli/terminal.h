// The little velt-flash needs to know about the console it prints to.
#pragma once

#include <cstdio>

// The stream goes to an interactive terminal (colours and an updating
// progress line make sense), not to a file or a pipe.
bool IsTerminal(std::FILE* stream);

// Lets the console show the UTF-8 texts and colour codes; once, at start.
void PrepareConsole();
