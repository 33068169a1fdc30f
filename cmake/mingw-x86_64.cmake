# 64-bit Windows: both plug-in DLLs for 64-bit FAR 3 (its native plug-in and the FAR 1.x one it
# loads through its support for old plug-ins), and for Wine where 32-bit processes cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
