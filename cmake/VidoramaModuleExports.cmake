# A module the program loads shows the host its factory and nothing else:
# the engine, the encoder and the Qt and standard library templates compiled
# into it stay inside, so they cannot clash with the host's own copies and the
# module's interface is exactly the factory the host resolves by name.
function(vidorama_export_only target factory)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports)
    file(WRITE ${script} "{\n  global: ${factory};\n  local: *;\n};\n")
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LINK_DEPENDS ${script})
    target_link_options(${target} PRIVATE -Wl,--version-script=${script})
endfunction()
