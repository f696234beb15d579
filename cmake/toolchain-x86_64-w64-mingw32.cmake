# The 64-bit Windows kit: on 64-bit Windows only a 64-bit process may install a driver.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
