// The stops of `vexir tour`, one per subsystem.
#pragma once

#include <Vexir/Console.h>

namespace VexirTool {

void Heading(const char* title);

void TourConsole(Vexir::IMgrConsole* consoles);
void TourAssets(Vexir::IMgrConsole* consoles);
void TourGeometry(Vexir::IMgrConsole* consoles);
void TourColourAndSun(Vexir::IMgrConsole* consoles);

}  // namespace VexirTool
