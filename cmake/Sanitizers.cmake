# ZORVANL_SANITIZE=address,undefined or thread instruments every target of the build.
if(ZORVANL_SANITIZE)
    add_compile_options(-fsanitize=${ZORVANL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ZORVANL_SANITIZE})
endif()
