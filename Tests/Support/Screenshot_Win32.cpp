#include "Screenshot.h"

#include <windows.h>

#include <fstream>

namespace VexirTest {

namespace {

// A 32-bit top-down BMP, opaque, as any viewer shows it.
void WriteBmp(const std::string& file, const BITMAPINFOHEADER& info, const unsigned char* bgra)
{
    std::vector<unsigned char> pixels(bgra, bgra + static_cast<std::size_t>(info.biWidth) * -info.biHeight * 4);
    for (std::size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace

// The screen's device context, copied as the display shows it.
bool TakeScreenshot(int x, int y, int width, int height, const std::string& file, Screenshot& shot)
{
    if (width <= 0) {
        x = y = 0;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool taken = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        taken = BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY) != 0;
        GdiFlush();
        if (taken) {
            const auto* bgra = static_cast<const unsigned char*>(bits);
            shot.width = width;
            shot.height = height;
            shot.rgb.resize(static_cast<std::size_t>(width) * height * 3);
            for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
                shot.rgb[i * 3] = bgra[i * 4 + 2];
                shot.rgb[i * 3 + 1] = bgra[i * 4 + 1];
                shot.rgb[i * 3 + 2] = bgra[i * 4];
            }
            WriteBmp(file, info.bmiHeader, bgra);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return taken;
}

}  // namespace VexirTest
