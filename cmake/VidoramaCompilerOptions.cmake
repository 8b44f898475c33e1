# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor)
if(VIDORAMA_WERROR)
    add_compile_options(-Werror)
endif()

if(VIDORAMA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Debug information makes up most of every test binary, and each links the
# whole engine statically; compressed, three build trees fit on a CI disk.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
check_cxx_compiler_flag(-gz VIDORAMA_HAS_COMPRESSED_DEBUG_COMPILE)
check_linker_flag(CXX -gz VIDORAMA_HAS_COMPRESSED_DEBUG_LINK)
if(VIDORAMA_HAS_COMPRESSED_DEBUG_COMPILE AND VIDORAMA_HAS_COMPRESSED_DEBUG_LINK)
    add_compile_options(-gz)
    add_link_options(-gz)
endif()

# Worktrees of the same sources share compiled objects through ccache when it
# is installed; it is optional everywhere.
find_program(VIDORAMA_CCACHE ccache)
if(VIDORAMA_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_C_COMPILER_LAUNCHER ${VIDORAMA_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${VIDORAMA_CCACHE})
endif()
