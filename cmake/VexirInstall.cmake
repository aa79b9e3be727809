# Installs headers, the library and a CMake package, so that a host writes
#   find_package(VexirCore REQUIRED)
#   target_link_libraries(app PRIVATE VexirCore::VexirCore)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS VexirCore EXPORT VexirCoreTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Include/Vexir DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${VEXIR_GENERATED_INCLUDE_DIR}/Vexir/VexirExport.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Vexir)
if(VEXIR_RUNTIME_DLLS)
  install(FILES ${VEXIR_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(VEXIR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VexirCore)
install(EXPORT VexirCoreTargets NAMESPACE VexirCore:: DESTINATION ${VEXIR_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VexirCoreConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/VexirCoreConfig.cmake
                              INSTALL_DESTINATION ${VEXIR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VexirCoreConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VexirCoreConfig.cmake
              ${CMAKE_BINARY_DIR}/VexirCoreConfigVersion.cmake
        DESTINATION ${VEXIR_CMAKE_DIR})
