# The command line for Windows, cross-built with MinGW-w64 (cmake/mingw-w64.cmake, scripts/build-windows.sh).
# The libraries it uses from Debian are header-only (fmt in its header-only mode, CLI11, xxHash) or, for
# Firebird, interfaces only: the practice's own fbclient.dll is loaded at run time (src/database/FbClient.cpp).
# Their headers are reached through a folder of links to them, never through /usr/include itself, whose C
# library headers are not those of Windows.
set(CLINOVA_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${CLINOVA_HEADERS})
foreach(header fmt CLI firebird ibase.h iberror.h xxhash.h)
    if(NOT EXISTS /usr/include/${header})
        message(FATAL_ERROR "/usr/include/${header} is missing: run scripts/install-deps.sh --windows")
    endif()
    file(CREATE_LINK /usr/include/${header} ${CLINOVA_HEADERS}/${header} SYMBOLIC)
endforeach()

set(FIREBIRD_INCLUDE_DIR ${CLINOVA_HEADERS})
set(FBCLIENT_LIBRARY "")

add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt INTERFACE ${CLINOVA_HEADERS})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${CLINOVA_HEADERS})

# One program file: the C++ and thread libraries are linked in, nothing to put beside it.
add_link_options(-static)
# Windows' own declarations without the old macros that clash with the standard library's names (min, max).
add_compile_definitions(NOMINMAX)

# No Qt for MinGW in the distribution: the window stays Linux-only. Neither the benchmark nor the fuzz targets
# are built.
set(CLINOVA_BUILD_GUI OFF CACHE BOOL "" FORCE)
set(CLINOVA_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(CLINOVA_FUZZ OFF CACHE BOOL "" FORCE)
