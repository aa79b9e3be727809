#include "Screenshot.h"

#include <cstdlib>
#include <fstream>

namespace VexirTest {

// ImageMagick's import reads the X server's screen.
bool TakeScreenshot(int x, int y, int width, int height, const std::string& file, Screenshot& shot)
{
    std::string command = "import -window root -depth 8 ";
    if (width > 0)
        command += "-crop " + std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
                   std::to_string(y) + " ";
    if (std::system((command + "'" + file + "'").c_str()) != 0)
        return false;
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maximum = 0;
    in >> magic >> shot.width >> shot.height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || shot.width <= 0 || shot.height <= 0)
        return false;
    shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return static_cast<bool>(in);
}

}  // namespace VexirTest
