# How the program's targets are made.
#
# Warnings, and with TW_SANITIZE the sanitizers, reach each of our targets
# through two interface targets, never through global flags, so that code
# of others built alongside keeps its own.
add_library(tw_warnings INTERFACE)
target_compile_options(tw_warnings INTERFACE -Wall -Wextra)

add_library(tw_sanitize INTERFACE)
if(TW_SANITIZE)
  target_compile_options(tw_sanitize INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined)
  target_link_options(tw_sanitize INTERFACE -fsanitize=address,undefined)
endif()

# Our flags on a target of any kind.
function(tw_flags target)
  target_link_libraries(${target} PRIVATE tw_warnings tw_sanitize)
endfunction()

# tw_layer(NAME FOLDER <folder under src> SOURCES <.cpp...> DEPS <targets...>)
#
# One static library per layer and per adapter backend. Its headers are
# reached only as "<folder>/Name.h" through an include root of its own: a
# folder in the build tree with a link to each header of src/<folder> (not
# of its subfolders). A target sees the roots of what it links and no
# others, so an include that runs up the layers, or from the stand-in's core
# into one of its backends, does not compile. scripts/check-layers.sh checks
# the headers that no source of their own layer includes.
function(tw_layer name)
  cmake_parse_arguments(TW "" "FOLDER" "SOURCES;DEPS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${TW_FOLDER})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${TW_FOLDER}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${TW_FOLDER}/${file} SYMBOLIC)
  endforeach()

  if(TW_SOURCES)
    add_library(${name} STATIC ${TW_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${TW_DEPS})
    tw_flags(${name})
  else()
    # A layer of headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${TW_DEPS})
  endif()
endfunction()

function(tw_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    tw_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Fails the configuration when a source file of ours is in no target's list:
# a file forgotten there would not be built, and a test file forgotten would
# never run.
function(tw_check_listed)
  tw_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(listed)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${dir})
      list(APPEND listed ${path})
    endforeach()
  endforeach()
  set(folders src tools tests)
  if(TW_BUILD_BENCH)
    list(APPEND folders bench)
  endif()
  foreach(folder IN LISTS folders)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    foreach(file IN LISTS found)
      if(NOT file IN_LIST listed)
        # The window's files are left out of a build without the window.
        if(NOT TW_BUILD_UI AND (file MATCHES "/ui/qt/" OR file MATCHES "tab_screenshots"))
          continue()
        endif()
        if(NOT TW_BUILD_TESTS AND file MATCHES "^${PROJECT_SOURCE_DIR}/tests/")
          continue()
        endif()
        message(FATAL_ERROR "${file} is in no target's source list")
      endif()
    endforeach()
  endforeach()
endfunction()
