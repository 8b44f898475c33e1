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

# Worktrees of the same sources share compiled objects through ccache when it
# is installed; it is optional everywhere.
find_program(VIDORAMA_CCACHE ccache)
if(VIDORAMA_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_C_COMPILER_LAUNCHER ${VIDORAMA_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${VIDORAMA_CCACHE})
endif()
