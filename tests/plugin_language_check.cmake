cmake_minimum_required(VERSION 3.25)
# Checks that the plug-in's sources are written in the language and library of the real host's
# compiler, Visual C++ 10.0 (run with -P; SOURCE_DIR and CLANG set):
#  - every .cpp of the plug-in's folders goes through Clang's C++98 compatibility diagnostics, and any
#    diagnostic located in those folders fails the check unless it names one of the C++11 features
#    that compiler has (or accepts as its own extension);
#  - no name of the library parts that compiler lacks appears in the plug-in's folders, except the
#    floating-point classification inside the one wrapper meant for it.
# The stand-in's own headers are host code and are not judged here.
set(plugin_folders plugin params modifier symmetry persist script)
set(hints_wrapper symmetry/engine/compiler_hints.h)

# The C++11 features Visual C++ 10.0 has, as Clang words them.
set(allowed_features
  "'auto' type specifier"
  "'decltype' type specifier"
  "lambda expressions"
  "rvalue references"
  "'nullptr'"
  "static_assert declarations"
  "trailing return types"
  "consecutive right angle brackets"
  "'long long'"
  "local type .* as template argument"
  "unnamed type as template argument"
  "'override' keyword"
  "enumeration type in nested name specifier"
  "enumeration types with a fixed underlying type")
list(JOIN allowed_features "|" allowed)
set(allowed "(${allowed}) (is|are) incompatible with C\\+\\+98")

# Library parts it lacks: C99's additions to <cmath>, and C++11 library names it never shipped.
set(cmath_names isfinite isnan isinf signbit fpclassify nextafter copysign round trunc fmin fmax fma log2 cbrt)
list(JOIN cmath_names "|" cmath)
set(cmath_pattern "(^|[^A-Za-z0-9_])(std::)?(${cmath})[ \t]*\\(")
set(library_pattern
  "make_unique|to_string|::lowest[ \t]*\\(|max_digits10|is_trivially_|initializer_list|<thread>|<mutex>|<atomic>|<chrono>")

set(sources)
set(files)
foreach(folder ${plugin_folders})
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND sources ${found})
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND files ${found})
endforeach()

set(faults)
foreach(source ${sources})
  execute_process(
    COMMAND ${CLANG} -fsyntax-only -std=c++11 -Wno-everything -Wc++98-compat -Wc++98-compat-pedantic
            -I${SOURCE_DIR} -I${SOURCE_DIR}/host/include/sdk -I${SOURCE_DIR}/host/platform/linux
            ${SOURCE_DIR}/${source}
    WORKING_DIRECTORY ${SOURCE_DIR}
    RESULT_VARIABLE status
    ERROR_VARIABLE diagnostics)
  if(NOT status EQUAL 0)
    list(APPEND faults "${source}: does not compile as C++11:\n${diagnostics}")
    continue()
  endif()
  string(REPLACE "\n" ";" lines "${diagnostics}")
  foreach(line ${lines})
    if(NOT line MATCHES "warning: ")
      continue()
    endif()
    string(REGEX REPLACE "^(\\./|${SOURCE_DIR}/)" "" where "${line}")
    set(in_plugin FALSE)
    foreach(folder ${plugin_folders})
      if(where MATCHES "^${folder}/")
        set(in_plugin TRUE)
      endif()
    endforeach()
    if(in_plugin AND NOT line MATCHES "${allowed}")
      list(APPEND faults "${where}")
    endif()
  endforeach()
endforeach()

foreach(file ${files})
  file(STRINGS ${SOURCE_DIR}/${file} lines)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "${library_pattern}")
      list(APPEND faults "${file}:${number}: uses a library part Visual C++ 10.0 lacks: ${line}")
    elseif(line MATCHES "${cmath_pattern}" AND NOT file STREQUAL hints_wrapper)
      list(APPEND faults "${file}:${number}: C99 <cmath> outside ${hints_wrapper}: ${line}")
    endif()
  endforeach()
endforeach()

list(REMOVE_DUPLICATES faults)
list(LENGTH sources checked)
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${checked} plug-in sources use only what Visual C++ 10.0 accepts")
