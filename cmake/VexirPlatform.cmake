# Chooses the platform layer. Files ending in _Win32 build for Windows only;
# files ending in _Posix (and _Fltk, for windows and dialogs) build for Linux only.
if(WIN32)
  set(VEXIR_PLATFORM Win32)
  set(VEXIR_FOREIGN_SUFFIXES _Posix _Fltk)
else()
  set(VEXIR_PLATFORM Posix)
  set(VEXIR_FOREIGN_SUFFIXES _Win32)
endif()

# vexir_platform_filter(<list-var>): drops the other platform's files from a list.
function(vexir_platform_filter list_var)
  set(kept)
  foreach(file IN LISTS ${list_var})
    get_filename_component(stem "${file}" NAME_WE)
    set(foreign FALSE)
    foreach(suffix IN LISTS VEXIR_FOREIGN_SUFFIXES)
      if(stem MATCHES "${suffix}$")
        set(foreign TRUE)
      endif()
    endforeach()
    if(NOT foreign)
      list(APPEND kept "${file}")
    endif()
  endforeach()
  set(${list_var} "${kept}" PARENT_SCOPE)
endfunction()

# Warnings for our own targets only.
function(vexir_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wno-unused-parameter)
endfunction()

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # The MinGW runtime DLLs travel with the executables so that Wine (or a
  # Windows machine) finds them beside the library.
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(EXISTS "${dll_path}")
      file(COPY "${dll_path}" DESTINATION ${CMAKE_BINARY_DIR}/bin)
      list(APPEND VEXIR_RUNTIME_DLLS "${dll_path}")
    endif()
  endforeach()
endif()
