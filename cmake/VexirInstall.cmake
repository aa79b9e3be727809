# Installs headers, the library, a CMake package and a pkg-config file, so
# that a host writes
#   find_package(VexirCore REQUIRED)
#   target_link_libraries(app PRIVATE VexirCore::VexirCore)
# or `pkg-config --cflags --libs vexircore`. Everything is the component
# "Core" except the Linux UI module ("Ui"), which packages on their own.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS VexirCore EXPORT VexirCoreTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Core
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Core
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Core
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Include/Vexir DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Core)
install(FILES ${VEXIR_GENERATED_INCLUDE_DIR}/Vexir/VexirExport.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Vexir COMPONENT Core)
# The MinGW-w64 runtime the DLL and the tools were built with goes beside
# them: a host needs nothing else.
if(VEXIR_RUNTIME_DLLS)
  install(FILES ${VEXIR_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Core)
endif()
# The UI module sits beside the library, where the library looks for it.
if(TARGET VexirCoreUi)
  install(TARGETS VexirCoreUi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Ui)
endif()

# The prefix as seen from the .pc file, so that it holds wherever it lies.
file(RELATIVE_PATH VEXIR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VEXIR_PC_TO_PREFIX "${VEXIR_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexircore.pc.in ${CMAKE_BINARY_DIR}/vexircore.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vexircore.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Core)

set(VEXIR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VexirCore)
install(EXPORT VexirCoreTargets NAMESPACE VexirCore:: DESTINATION ${VEXIR_CMAKE_DIR} COMPONENT Core)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VexirCoreConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/VexirCoreConfig.cmake
                              INSTALL_DESTINATION ${VEXIR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VexirCoreConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VexirCoreConfig.cmake
              ${CMAKE_BINARY_DIR}/VexirCoreConfigVersion.cmake
        DESTINATION ${VEXIR_CMAKE_DIR} COMPONENT Core)

include(VexirPackaging)
