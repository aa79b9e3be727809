#include <string>
#include <vector>

#include "Command.h"

int main(int argc, char** argv) { return VexirTool::RunTool(std::vector<std::string>(argv, argv + argc)); }
