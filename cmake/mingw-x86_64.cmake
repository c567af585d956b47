# Cross-compiles for 64-bit Windows with MinGW-w64. The shipped launcher is
# always the 32-bit build; this one exists so the same sources can be tested
# under 64-bit Wine on machines that cannot execute 32-bit x86 code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
