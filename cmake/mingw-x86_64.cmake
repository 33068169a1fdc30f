# 64-bit Windows: the same sources, for Wine where 32-bit processes cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
