// Any bytes as a matrix file: a file that does not read leaves the matrix as
// it was; a matrix that reads is written back, and that file reads again and
// writes the very same text. And any floats, written, must read back.
#include <Vexir/Matrices.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
#include "TemporaryFile.h"

namespace {

template <typename Matrix>
bool Read(const std::string& path, Matrix& matrix)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const bool read = matrix.ReadFromFile(file);
    std::fclose(file);
    return read;
}

template <typename Matrix>
std::string Written(const Matrix& matrix, int indent)
{
    const std::string path = VexirFuzz::ScratchPath("written.txt");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file && matrix.WriteToFile(file, indent), "the matrix could not be written");
    std::fclose(file);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename Matrix>
void CheckWrittenReads(const Matrix& matrix, int indent)
{
    const std::string first = Written(matrix, indent);
    Matrix again;
    FUZZ_CHECK(Read(VexirFuzz::ScratchPath("written.txt"), again), "what was written does not read:\n%s",
               first.c_str());
    const std::string second = Written(again, indent);
    FUZZ_CHECK(first == second, "written twice differently:\n%s\n%s", first.c_str(), second.c_str());
}

template <typename Matrix>
void Check(const std::string& path, const std::uint8_t* data, std::size_t size, int indent)
{
    Matrix matrix;
    for (std::size_t i = 0; i < sizeof matrix.m / sizeof matrix.m[0]; ++i)
        matrix.m[i] = 1000.0f + static_cast<float>(i);
    const Matrix before = matrix;
    if (Read(path, matrix))
        CheckWrittenReads(matrix, indent);
    else
        FUZZ_CHECK(std::memcmp(matrix.m, before.m, sizeof matrix.m) == 0, "a refused file changed the matrix");

    // The input's first bytes as the elements, whatever floats they make.
    Matrix any;
    std::memcpy(any.m, data, std::min(size, sizeof any.m));
    CheckWrittenReads(any, indent);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string path = VexirFuzz::ScratchPath("matrix.txt");
    if (!VexirFuzz::WriteFile(path, data + 1, size - 1))
        return 0;
    const int indent = data[0] & 7;
    if (data[0] & 0x80)
        Check<Vexir::Matrix34f>(path, data + 1, size - 1, indent);
    else
        Check<Vexir::Matrix33f>(path, data + 1, size - 1, indent);
    return 0;
}
