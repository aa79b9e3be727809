#include "Math/MatrixText.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace Vexir {

namespace {

const int kMaxIndent = 511;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One line of the file, without its line end ("\n", or "\r\n" as a file
// written in text mode on Windows has it); false at the end of the file or for
// a line too long to be the matrix form.
bool ReadLine(std::FILE* file, std::string& line)
{
    char buffer[1024];
    if (!std::fgets(buffer, sizeof buffer, file))
        return false;
    line = buffer;
    if (line.empty() || line.back() != '\n') {
        if (!(std::feof(file) != 0 && line.size() < sizeof buffer - 1))
            return false;
    } else {
        line.pop_back();
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

const char* SkipBlanks(const char* text)
{
    while (*text && IsBlank(*text))
        ++text;
    return text;
}

bool IsTagLine(const std::string& line, const std::string& tag)
{
    return std::string(SkipBlanks(line.c_str())) == tag;
}

bool ParseRow(const std::string& line, float* row, int columns)
{
    const char* cursor = line.c_str();
    for (int c = 0; c < columns; ++c) {
        cursor = SkipBlanks(cursor);
        char* end = nullptr;
        row[c] = std::strtof(cursor, &end);
        if (end == cursor)
            return false;
        cursor = end;
    }
    return *SkipBlanks(cursor) == '\0';
}

}  // namespace

void WriteMatrixText(std::FILE* file, int indent, const char* name, const float* values, int rows, int columns)
{
    if (!file)
        return;
    const std::string tabs(static_cast<std::size_t>(indent < 0 ? 0 : indent > kMaxIndent ? kMaxIndent : indent), '\t');
    std::fprintf(file, "%s<%s>\n", tabs.c_str(), name);
    for (int r = 0; r < rows; ++r) {
        std::fprintf(file, "%s\t", tabs.c_str());
        for (int c = 0; c < columns; ++c)
            std::fprintf(file, c + 1 < columns ? "%g " : "%g\n", static_cast<double>(values[r * columns + c]));
    }
    std::fprintf(file, "%s</%s>\n", tabs.c_str(), name);
}

bool ReadMatrixText(std::FILE* file, const char* name, float* values, int rows, int columns)
{
    if (!file)
        return false;
    std::string line;
    if (!ReadLine(file, line) || !IsTagLine(line, std::string("<") + name + ">"))
        return false;
    float read[16];
    for (int r = 0; r < rows; ++r)
        if (!ReadLine(file, line) || !ParseRow(line, read + r * columns, columns))
            return false;
    if (!ReadLine(file, line) || !IsTagLine(line, std::string("</") + name + ">"))
        return false;
    std::memcpy(values, read, sizeof(float) * static_cast<std::size_t>(rows * columns));
    return true;
}

}  // namespace Vexir
