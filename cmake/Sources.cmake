# Every folder's sources are picked up by pattern, so adding a file needs no build edit.
function(lumivo_collect_sources out)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${PROJECT_SOURCE_DIR}/${dir}/*.cpp
            ${PROJECT_SOURCE_DIR}/${dir}/*.h
            ${PROJECT_SOURCE_DIR}/${dir}/*.qrc)
        list(APPEND files ${found})
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()

# lumivo_static_library(name DIRS dir... [EXCLUDE regex]): a static library over the given folders;
# one with no sources yet still builds.
function(lumivo_static_library name)
    cmake_parse_arguments(LIB "" "EXCLUDE" "DIRS" ${ARGN})
    lumivo_collect_sources(sources ${LIB_DIRS})
    if(LIB_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${LIB_EXCLUDE}")
    endif()
    if(NOT sources)
        set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# lumivo_layer(name DIRS dir... [EXCLUDE regex] [BELOW layer]): a layer of the program over the given
# folders, on top of the layer below it. Stored classes register themselves by static objects that
# nothing else names, so layers are always linked whole-archive.
function(lumivo_layer name)
    cmake_parse_arguments(LAYER "" "EXCLUDE;BELOW" "DIRS" ${ARGN})
    if(LAYER_EXCLUDE)
        lumivo_static_library(${name} DIRS ${LAYER_DIRS} EXCLUDE "${LAYER_EXCLUDE}")
    else()
        lumivo_static_library(${name} DIRS ${LAYER_DIRS})
    endif()
    if(LAYER_BELOW)
        target_link_libraries(${name} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,${LAYER_BELOW}>")
    endif()
endfunction()
