// Any bytes as a matrix file: a matrix that reads is written back, and that
// file reads again and writes the very same text.
#include <Vexir/Matrices.h>

#include <cstdint>
#include <cstdio>
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
void Check(const std::string& path, int indent)
{
    Matrix matrix;
    if (!Read(path, matrix))
        return;
    const std::string first = Written(matrix, indent);
    Matrix again;
    FUZZ_CHECK(Read(VexirFuzz::ScratchPath("written.txt"), again), "what was written does not read:\n%s",
               first.c_str());
    const std::string second = Written(again, indent);
    FUZZ_CHECK(first == second, "written twice differently:\n%s\n%s", first.c_str(), second.c_str());
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
        Check<Vexir::Matrix34f>(path, indent);
    else
        Check<Vexir::Matrix33f>(path, indent);
    return 0;
}
