// The file form of the matrices: an opening tag, one line of %g values per row
// (one tab deeper), a closing tag, each line indented by `indent` tabs.
#pragma once

#include <cstdio>

namespace Vexir {

void WriteMatrixText(std::FILE* file, int indent, const char* name, const float* values, int rows, int columns);
// Reads the form back into `values`; false, with `values` untouched, when the
// text is not exactly that form.
bool ReadMatrixText(std::FILE* file, const char* name, float* values, int rows, int columns);

}  // namespace Vexir
