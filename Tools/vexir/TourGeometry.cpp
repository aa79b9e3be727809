// The tour's stop for geometry: a look-at frame and its inverse, and stratified
// samples mapped onto the disc and the sphere.
#include <Vexir/Matrices.h>
#include <Vexir/PointMapper.h>

#include <sstream>

#include "Tour.h"

namespace VexirTool {

namespace {

template <typename Value>
std::string Text(const Value& value)
{
    std::stringstream text;
    text << value;
    return text.str();
}

// One sample in the middle of each cell of a 2 x 2 grid over [-1, 1]^2.
void StratifiedSamples(float* x, float* y)
{
    for (int i = 0; i < 4; ++i) {
        x[i] = (i % 2) - 0.5f;
        y[i] = (i / 2) - 0.5f;
    }
}

}  // namespace

void TourGeometry(Vexir::IMgrConsole* consoles)
{
    Heading("Geometry: a look-at frame, its inverse, and samples on the disc and the sphere");
    Vexir::Matrix34f camera;
    camera.CreateLookAt(Vexir::Vector3f(0, 2, -5), Vexir::Vector3f(0, 0, 0), Vexir::Vector3f(0, 1, 0), false);
    const Vexir::Matrix44f frame(camera);
    Vexir::Matrix44f inverse;
    frame.Inverse(inverse);
    consoles->PrintInfo("camera at (0,2,-5) looking at the origin: %s\n", Text(frame).c_str());
    consoles->PrintInfo("its inverse:                              %s\n", Text(inverse).c_str());
    consoles->PrintInfo("frame times inverse:                      %s\n", Text(frame * inverse).c_str());

    float x[4], y[4], z[4];
    StratifiedSamples(x, y);
    Vexir::PointMapper::MapDiscConcentric(x, y, 4, 0);
    for (int i = 0; i < 4; ++i)
        consoles->PrintInfo("disc sample %d:   %s\n", i, Text(Vexir::Vector2f(x[i], y[i])).c_str());
    StratifiedSamples(x, y);
    Vexir::PointMapper::MapSphere(x, y, z, 4);
    for (int i = 0; i < 4; ++i)
        consoles->PrintInfo("sphere sample %d: %s\n", i, Text(Vexir::Vector3f(x[i], y[i], z[i])).c_str());
}

}  // namespace VexirTool
