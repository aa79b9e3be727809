#include "ConsoleText.h"

int ShowOnConsole(const char*) { return 2; }
