# Shared settings of the two Windows cross builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SETUP_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${SETUP_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${SETUP_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SETUP_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No MinGW run-time DLLs at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
