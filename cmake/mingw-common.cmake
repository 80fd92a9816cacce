# The posix thread model gives std::mutex to the test support; -static keeps libwinpthread inside the image.
set(CMAKE_C_COMPILER ${INST_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${INST_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${INST_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${INST_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
