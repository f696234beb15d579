# The 32-bit Windows kit, the one the kit is made for.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
# Windows 2000, the oldest Windows the kit is made for.
set(oldest_windows_major 5)
set(oldest_windows_minor 0)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
