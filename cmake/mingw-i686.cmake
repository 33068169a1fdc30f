# 32-bit Windows: the Velumo.dll that FAR 1.x loads.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
