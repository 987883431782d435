# Shared compile settings every Tavrin target links: language level, warnings, sanitizers.
add_library(tavrin_options INTERFACE)
target_compile_features(tavrin_options INTERFACE cxx_std_20)
target_compile_options(tavrin_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(tavrin_options INTERFACE
  QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(TAVRIN_WERROR)
  target_compile_options(tavrin_options INTERFACE -Werror)
endif()
if(TAVRIN_ASAN AND TAVRIN_TSAN)
  message(FATAL_ERROR "TAVRIN_ASAN and TAVRIN_TSAN cannot be combined")
endif()
if(TAVRIN_ASAN)
  # Undefined behaviour ends the run like a memory error does, so a test cannot pass over it.
  target_compile_options(tavrin_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                                  -fno-omit-frame-pointer)
  target_link_options(tavrin_options INTERFACE -fsanitize=address,undefined)
  # GCC's flow analysis under ASan reports members of libstdc++'s <regex> states as maybe uninitialized.
  target_compile_options(tavrin_options INTERFACE $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
endif()
if(TAVRIN_TSAN)
  target_compile_options(tavrin_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tavrin_options INTERFACE -fsanitize=thread)
endif()

# Sources of a library are the files of its folders, so adding a file needs no CMake edit.
function(tavrin_glob_sources out)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.ui)
    list(APPEND result ${files})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Fuzzing instruments the whole core, so the fuzzer sees coverage inside the parsers, not only in the entry files.
if(TAVRIN_FUZZ)
  target_compile_options(tavrin_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(tavrin_options INTERFACE -fsanitize=address,undefined)
endif()
