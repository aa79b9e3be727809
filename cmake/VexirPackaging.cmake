# ./dev package: a Debian package of the Linux build, with the UI module in a
# package of its own (a headless machine installs no X11 and no FLTK), and a
# zip of the Windows build.
set(CPACK_PACKAGE_NAME vexircore)
set(CPACK_PACKAGE_VENDOR "Parvon")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VexirCore developers <vexircore@parvon.example>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VexirCore, the core library of the Parvon SDK")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vexircore-${PROJECT_VERSION}-windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Core Ui)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  # Dependencies from what the binaries link (libc, libstdc++; FLTK and X11
  # for the module).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")  # later builds of the same soname will do
  # The tools need the library of the same package, found in the build.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  set(CPACK_DEBIAN_CORE_PACKAGE_NAME vexircore)
  set(CPACK_DEBIAN_CORE_PACKAGE_SUGGESTS vexircore-ui)
  # The first line is each package's summary (so no package-wide one).
  set(CPACK_DEBIAN_CORE_DESCRIPTION "VexirCore, the core library of the Parvon SDK
The library, its headers, CMake and pkg-config files, and the vexir and RemoteConsole tools.")
  set(CPACK_DEBIAN_UI_DESCRIPTION "VexirCore's window console, file dialogs and assert dialogs
The UI module libVexirCoreUi.so (FLTK and X11), which the library loads at its first window.")
  set(CPACK_DEBIAN_UI_PACKAGE_NAME vexircore-ui)
  set(CPACK_DEBIAN_UI_PACKAGE_GENERATE_SHLIBS OFF)  # a module hosts never link
  set(CPACK_DEBIAN_UI_PACKAGE_DEPENDS "vexircore (= ${PROJECT_VERSION})")
endif()
include(CPack)
