cmake_minimum_required(VERSION 3.25)
# Checks the plug-in's sources as the real SDK build will see them (run with -P, SOURCE_DIR set):
#  - every quoted include names a file of the plug-in's own folders or a header of the SDK stand-in
#    (host/include/sdk) other than its internal parts, which the real SDK does not have by those
#    names;
#  - no compiler builtin outside the one wrapper that gives each a plain fallback;
#  - no undo record claims to know what it refers to (the real RestoreObj has no such question).
# The build alone already refuses host headers outside the stand-in; this also catches a path that
# climbs out of the plug-in's folders.
set(plugin_folders plugin params modifier symmetry persist script)
set(sdk_dir ${SOURCE_DIR}/host/include/sdk)
set(sdk_internal class_id.h max_types.h)
set(builtin_wrapper symmetry/engine/compiler_hints.h)

set(sources)
foreach(folder ${plugin_folders})
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp
       ${SOURCE_DIR}/${folder}/*.rc)
  list(APPEND sources ${found})
endforeach()

set(faults)
foreach(source ${sources})
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  get_filename_component(source_dir ${source} DIRECTORY)
  foreach(line ${includes})
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" name "${line}")
    set(allowed FALSE)
    foreach(base ${SOURCE_DIR} ${SOURCE_DIR}/${source_dir})
      get_filename_component(path ${base}/${name} ABSOLUTE)
      foreach(folder ${plugin_folders})
        if(EXISTS ${path} AND path MATCHES "^${SOURCE_DIR}/${folder}/")
          set(allowed TRUE)
        endif()
      endforeach()
    endforeach()
    if(EXISTS ${sdk_dir}/${name} AND NOT name IN_LIST sdk_internal AND NOT name MATCHES "\\.\\.")
      set(allowed TRUE)
    endif()
    if(NOT allowed)
      list(APPEND faults "${source}: includes \"${name}\", which is neither the plug-in's nor the SDK's")
    endif()
  endforeach()
  if(NOT source STREQUAL builtin_wrapper)
    file(STRINGS ${SOURCE_DIR}/${source} builtins REGEX "__builtin_")
    if(builtins)
      list(APPEND faults "${source}: uses a compiler builtin outside ${builtin_wrapper}")
    endif()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} refers REGEX "RefersTo")
  if(refers)
    list(APPEND faults "${source}: an undo record answers RefersTo, which the real SDK does not ask")
  endif()
endforeach()

list(LENGTH sources checked)
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${checked} plug-in sources include only the SDK stand-in and their own folders")
