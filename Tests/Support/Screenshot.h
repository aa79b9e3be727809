// What a user sees: the screen's pixels, read back for the tests, and kept
// as a file for a person to look at.
#pragma once

#include <string>
#include <vector>

namespace VexirTest {

struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // red, green, blue for each pixel, rows from the top

    const unsigned char* At(int column, int row) const
    {
        return &rgb[(static_cast<std::size_t>(row) * width + column) * 3];
    }

    // How many pixels pass `test`, given each pixel's red, green and blue.
    template <typename Test>
    int Count(Test test) const
    {
        int count = 0;
        for (std::size_t i = 0; i < rgb.size(); i += 3)
            count += test(&rgb[i]) ? 1 : 0;
        return count;
    }
};

// Text, as dialogs draw it.
inline bool IsNearBlack(const unsigned char* p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; }
// A dialog's face: a light, neutral grey.
inline bool IsLightGrey(const unsigned char* p) { return p[0] >= 170 && p[0] <= 250 && p[0] == p[1] && p[0] == p[2]; }

// The screen's rectangle at (x, y), or the whole screen when `width` is 0;
// also written to `file` (PPM on Linux, BMP on Windows). False when the
// screen cannot be read.
bool TakeScreenshot(int x, int y, int width, int height, const std::string& file, Screenshot& shot);

}  // namespace VexirTest
