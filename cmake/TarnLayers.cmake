# Each folder of the source tree is one library (a layer) that links only
# downward. A layer compiles against the include roots of itself and of the
# layers it links, nothing else: an include that points upward does not
# resolve, so it fails the build instead of quietly creating a cycle.
#
# The roots are folders in the build tree holding one symbolic link each
# (<root>/link -> <source>/link), so that includes keep their project-relative
# form ("link/TarnProtocol.h").

# Sets `out` to the include root that exposes `folder` (a path relative to the
# source tree, e.g. "link" or "tools/tarntool") and nothing else.
function(tarn_include_root folder out)
    string(REPLACE "/" "_" tag ${folder})
    set(root ${PROJECT_BINARY_DIR}/include-roots/${tag})
    set(link ${root}/${folder})
    if(NOT EXISTS ${link})
        get_filename_component(parent ${link} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
    endif()
    set(${out} ${root} PARENT_SCOPE)
endfunction()

# tarn_add_layer(TARGET FOLDER SOURCES files... DEPENDS targets...)
function(tarn_add_layer target folder)
    cmake_parse_arguments(LAYER "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${target} STATIC ${LAYER_SOURCES})
    tarn_include_root(${folder} root)
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC ${LAYER_DEPENDS})
endfunction()
