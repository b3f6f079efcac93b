# Warnings are errors on every target of the project. -Wnull-dereference is left out: with GCC 12 at -O3
# it reports standard-library copies that cannot be null, and the sanitizer builds catch real ones.
add_library(zorvanl_warnings INTERFACE)
if(MSVC)
    target_compile_options(zorvanl_warnings INTERFACE /W4 /WX)
else()
    target_compile_options(zorvanl_warnings INTERFACE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor
                                                      -Wcast-align -Wunused -Wformat=2)
endif()
