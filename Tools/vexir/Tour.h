// The stops of `vexir tour`, one per subsystem.
#pragma once

#include <Vexir/Console.h>

#include <filesystem>
#include <string>

namespace VexirTool {

void Heading(const char* title);

void TourConsole(Vexir::IMgrConsole* consoles);
void TourWindow(Vexir::IMgrConsole* consoles);
// `folder` is the tour's own, made fresh for this run.
void TourAssets(Vexir::IMgrConsole* consoles, const std::filesystem::path& folder);
void TourGeometry(Vexir::IMgrConsole* consoles);
void TourColourAndSun(Vexir::IMgrConsole* consoles);
// `tool` is the path the tool was started by, to find RemoteConsole beside it.
void TourRemote(Vexir::IMgrConsole* consoles, const std::string& tool, const std::filesystem::path& folder);

}  // namespace VexirTool
