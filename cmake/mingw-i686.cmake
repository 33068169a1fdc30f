# 32-bit Windows: both plug-in DLLs, the one FAR 1.x loads and the one 32-bit FAR 3 loads.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
