#include "Command.h"

namespace VexirTool {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> s_commands = {
        {"tour", "walk through what the library can do",
         "vexir tour\n"
         "  Walks through the library's subsystems, printing what each one does.\n"
         "  It never waits for input: the failed assertion it shows is answered by\n"
         "  a handler the tour installs.\n",
         RunTour},
        {"asset", "make and check asset files",
         "vexir asset pack IN OUT     write IN as a headed asset: digest of the plain bytes, then scrambled\n"
         "vexir asset unpack IN OUT   verify an asset and write its plain payload\n"
         "vexir asset verify FILE...  print each file's load status; fails unless all are Loaded\n"
         "vexir asset info FILE       print whether FILE has a header, its scheme, digest and payload size\n",
         RunAsset},
        {"sun", "the sun's position for a date, time and place",
         "vexir sun --date YYYY-MM-DD [--time HH:MM[:SS]] [--zone HOURS] --lat DEGREES --lon DEGREES\n"
         "  Prints the Julian date, the azimuth (from north towards east), the elevation and the\n"
         "  unit vector towards the sun (+x south, +y east, +z up). The time is local, --zone its\n"
         "  offset from Universal Time (east positive); latitude north and longitude east positive.\n"
         "vexir sun --date ... --from HH:MM --to HH:MM [--step MINUTES] --lat ... --lon ...\n"
         "  Prints a table of the sun's path over that part of the day.\n",
         RunSun},
        {"color", "the colour of spectra, and colour conversions",
         "vexir color blackbody KELVIN | daylight KELVIN | illuminant A|B|C|D65|F [--observer 1931|1964]\n"
         "  Prints XYZ, the chromaticity x, y, the linear sRGB colour (scaled to Y = 1 and clipped\n"
         "  into the gamut) and the 8-bit sRGB colour in hex.\n"
         "vexir color convert --from srgb|linear|hsv|xyz R G B --to srgb|linear|hsv|xyz\n"
         "  Converts one colour; srgb is encoded, linear is linear sRGB, xyz has white at Y = 1.\n",
         RunColor},
        {"sysinfo", "the process's memory figures and the machine's processors",
         "vexir sysinfo\n"
         "  Prints this process's working set, page-file usage (their peaks) and page faults, and the\n"
         "  counts of processor packages, cores, cores with several logical processors and NUMA nodes.\n",
         RunSysinfo},
    };
    return s_commands;
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : Commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

}  // namespace VexirTool
