# Picks the clang++ for the clang and fuzz presets, so that they work with
# whichever clang a machine has: the highest clang++-NN on the PATH, else
# plain clang++. With D88_BUILD_FUZZERS only a clang whose libFuzzer runtime
# is installed will do (Debian ships it apart, as libclang-rt-NN-dev).
# A compiler given on the command line (-DCMAKE_CXX_COMPILER=...) is kept.

# try_compile reads this file again and must pick the same compiler.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES D88_BUILD_FUZZERS)
if(DEFINED CMAKE_CXX_COMPILER)
  return()
endif()

cmake_path(CONVERT "$ENV{PATH}" TO_CMAKE_PATH_LIST path_dirs NORMALIZE)
set(versioned "")
foreach(dir IN LISTS path_dirs)
  file(GLOB found "${dir}/clang++-[0-9]*")
  foreach(program IN LISTS found)
    if(program MATCHES "/clang\\+\\+-([0-9]+)$")
      # Zero-padded so that a plain sort puts clang++-15 above clang++-9.
      string(LENGTH "${CMAKE_MATCH_1}" digits)
      math(EXPR padding "4 - ${digits}")
      string(REPEAT "0" ${padding} zeros)
      list(APPEND versioned "${zeros}${CMAKE_MATCH_1}|${program}")
    endif()
  endforeach()
endforeach()
list(SORT versioned ORDER DESCENDING)
list(TRANSFORM versioned REPLACE "^[0-9]+\\|" "")

find_program(d88_plain_clang NAMES clang++ NO_CACHE)
set(candidates ${versioned})
if(d88_plain_clang)
  list(APPEND candidates "${d88_plain_clang}")
endif()

foreach(candidate IN LISTS candidates)
  if(D88_BUILD_FUZZERS)
    execute_process(COMMAND "${candidate}" -print-resource-dir
                    OUTPUT_VARIABLE resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    # lib/linux/libclang_rt.fuzzer-x86_64.a, or lib/<target>/libclang_rt.fuzzer.a
    # where the runtime lives in a folder per target.
    file(GLOB runtime "${resource_dir}/lib/*/libclang_rt.fuzzer*.a")
    if(failed OR NOT runtime)
      continue()
    endif()
  endif()
  set(CMAKE_CXX_COMPILER "${candidate}")
  break()
endforeach()

if(NOT DEFINED CMAKE_CXX_COMPILER)
  if(D88_BUILD_FUZZERS)
    message(FATAL_ERROR "No clang++ with its libFuzzer runtime found: install clang and "
                        "libclang-rt-dev (Debian), or give -DCMAKE_CXX_COMPILER=")
  endif()
  message(FATAL_ERROR "No clang++ found on the PATH: install clang, or give -DCMAKE_CXX_COMPILER=")
endif()
