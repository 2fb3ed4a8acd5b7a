// Splitting a command line into its arguments.
#pragma once
#include <vector>

#include "System.h"

// Splits a command line the way a program splits its own: blanks and control characters
// separate tokens, a quoted part is taken whole without its quotes, and a token holds at most
// 8192 characters.
std::vector<String> CommandLineTokens(const String& text);
