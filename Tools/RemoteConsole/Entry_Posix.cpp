#include <string>
#include <vector>

#include "Settings.h"

int main(int argc, char** argv) { return RemoteConsole::RunProgram(std::vector<std::string>(argv, argv + argc)); }
