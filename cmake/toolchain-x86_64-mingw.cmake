# The same sources for 64-bit Windows, tested under 64-bit Wine where 32-bit
# programs cannot run.
set(VL_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
