# The 64-bit Windows kit: on 64-bit Windows only a 64-bit process may install a driver.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
# Windows XP x64, the first Windows for x64.
set(oldest_windows_major 5)
set(oldest_windows_minor 2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
