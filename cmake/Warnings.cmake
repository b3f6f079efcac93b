# Warnings are errors on every target of the project.
add_library(zorvanl_warnings INTERFACE)
if(MSVC)
    target_compile_options(zorvanl_warnings INTERFACE /W4 /WX)
else()
    target_compile_options(zorvanl_warnings INTERFACE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor
                                                      -Wcast-align -Wunused -Wformat=2 -Wnull-dereference)
endif()
