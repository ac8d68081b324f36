# One place for the language level, warnings and sanitizer switches; every
# target links tavrek_options instead of repeating them.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

option(TAVREK_WERROR "Treat warnings as errors" OFF)
set(TAVREK_SANITIZE "" CACHE STRING "Sanitizers: empty, address,undefined or thread")

add_library(tavrek_options INTERFACE)
target_compile_features(tavrek_options INTERFACE cxx_std_20)
target_compile_options(tavrek_options INTERFACE
  -Wall -Wextra -pedantic -Wold-style-cast -Wnon-virtual-dtor -Wshadow=local)
if(TAVREK_WERROR)
  target_compile_options(tavrek_options INTERFACE -Werror)
endif()
if(TAVREK_SANITIZE)
  target_compile_options(tavrek_options INTERFACE
    -fsanitize=${TAVREK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tavrek_options INTERFACE -fsanitize=${TAVREK_SANITIZE})
endif()
