# Modules: libraries that the start page does not need are built into shared modules in modules/ beside
# the program, loaded on first use through stubs (platform/modules/Modules.h). Where no stubs can be
# made (another processor than x86-64, or LUMIVO_LAZY_MODULES off) the program links the modules
# directly, and they load at start as any library does.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(lumivo_lazy_default ON)
else()
    set(lumivo_lazy_default OFF)
endif()
option(LUMIVO_LAZY_MODULES "Load the media modules on first use rather than at start" ${lumivo_lazy_default})
set(LUMIVO_MODULE_DIR ${CMAKE_BINARY_DIR}/modules)
if(NOT LUMIVO_LAZY_MODULES)
    # The build tree is a portable installation: its programs find the modules beside them.
    list(APPEND CMAKE_BUILD_RPATH "$ORIGIN/modules")
endif()

# lumivo_module(name SOURCES file... LIBRARIES library... USERS target...): the module `name`.so from
# the given sources, its libraries linked to it alone; each user target calls it through stubs.
function(lumivo_module name)
    cmake_parse_arguments(MODULE "" "" "SOURCES;LIBRARIES;USERS" ${ARGN})
    if(LUMIVO_LAZY_MODULES)
        add_library(${name} MODULE ${MODULE_SOURCES})
    else()
        add_library(${name} SHARED ${MODULE_SOURCES})
    endif()
    set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${LUMIVO_MODULE_DIR})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${MODULE_LIBRARIES})
    # Only the program's own namespace is exported, and the module's calls to itself stay inside it.
    target_link_options(${name} PRIVATE -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/module-exports.map
        -Wl,-Bsymbolic-functions)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/module-exports.map)
    if(NOT LUMIVO_SANITIZE AND NOT LUMIVO_FUZZ)
        # A module that needs a function of the program fails here, not when a person first uses it.
        # (The sanitizers' runtime lives in the executable, so their modules keep it undefined.)
        target_link_options(${name} PRIVATE -Wl,-z,defs)
    endif()
    if(NOT LUMIVO_LAZY_MODULES)
        foreach(user IN LISTS MODULE_USERS)
            target_link_libraries(${user} PUBLIC ${name})
        endforeach()
        return()
    endif()
    set(stubs ${CMAKE_CURRENT_BINARY_DIR}/${name}_stubs.cpp)
    add_custom_command(OUTPUT ${stubs}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/module-stubs.py ${CMAKE_NM}
            $<TARGET_FILE:${name}> $<TARGET_FILE_NAME:${name}> ${stubs}
        DEPENDS ${name} ${PROJECT_SOURCE_DIR}/cmake/module-stubs.py
        COMMENT "Making the stubs of ${name}"
        VERBATIM)
    foreach(user IN LISTS MODULE_USERS)
        target_sources(${user} PRIVATE ${stubs})
        target_link_libraries(${user} PUBLIC ${CMAKE_DL_LIBS})
        # The stubs bring the module with them: whoever links them can run it.
        add_dependencies(${user} ${name})
    endforeach()
endfunction()
