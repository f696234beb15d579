# Cross-compiling the Windows kit with Debian's mingw-w64 for the processor a toolchain file names
# in `triple`. The kit is single-threaded, so the win32-thread compilers serve.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-win32 ${triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-win32 ${triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The kit ships as its own files and nothing else: no libgcc or libstdc++ DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows refuses to start a program whose header asks for a newer Windows than itself, and
# binutils' own choice differs between the two processors. Each header names the oldest Windows
# its toolchain file gives; the project links with these options, which, unlike the flags above,
# reach a build tree configured before they changed.
set(KIT_OLDEST_WINDOWS_LINK_OPTIONS
    -Wl,--major-os-version,${oldest_windows_major},--minor-os-version,${oldest_windows_minor}
    -Wl,--major-subsystem-version,${oldest_windows_major}
    -Wl,--minor-subsystem-version,${oldest_windows_minor})
math(EXPR oldest_windows_number "${oldest_windows_major} * 256 + ${oldest_windows_minor}"
     OUTPUT_FORMAT HEXADECIMAL)
set(KIT_OLDEST_WINDOWS_DEFINITIONS
    _WIN32_WINNT=${oldest_windows_number} WINVER=${oldest_windows_number})
