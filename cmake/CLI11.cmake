# CLI11, the command-line parser of the tools (never of the library): Debian's
# header-only copy. The Windows cross build gets a folder of its own that holds
# only the CLI headers, so that no other Linux header can be found through it.
find_path(VEXIR_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          DOC "the folder holding CLI/CLI.hpp (Debian: libcli11-dev)")
if(NOT VEXIR_CLI11_INCLUDE)
  message(FATAL_ERROR "The tools need CLI11 (Debian: libcli11-dev); ./dev installs it.")
endif()
set(cli11_folder ${CMAKE_BINARY_DIR}/cli11-include)
if(NOT EXISTS ${cli11_folder}/CLI)
  file(MAKE_DIRECTORY ${cli11_folder})
  file(CREATE_LINK ${VEXIR_CLI11_INCLUDE}/CLI ${cli11_folder}/CLI SYMBOLIC)
endif()
add_library(VexirCLI11 INTERFACE)
target_include_directories(VexirCLI11 SYSTEM INTERFACE ${cli11_folder})
