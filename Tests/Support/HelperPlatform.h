// What the helper program does differently on each platform.
#pragma once

// Logs text outside ASCII through the standard-output console while standard
// output is a console window (Windows), and writes the text the console then
// shows, as UTF-8, into a file. Exit code 0 when the console could be read, 3
// when there is no console to read. Elsewhere there is no such console: 2.
int ShowOnConsole(const char* resultPath);

// How many of this process's descriptors lead to a named object's file
// (Linux); 0 where named objects are no files.
int CountNamedObjectDescriptors();
