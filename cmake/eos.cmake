# Settings every target of the project shares.

# Warnings as errors reach the compiler through the launcher cmake/warnings-as-errors, which
# reads the option from this file: the file changes only when the option does, and then
# only the objects that warned are compiled again.
if(EOS_WERROR)
  set(eos_werror ON)
else()
  set(eos_werror OFF)
endif()
set(EOS_WERROR_SWITCH ${CMAKE_BINARY_DIR}/eos_werror)
file(CONFIGURE OUTPUT ${EOS_WERROR_SWITCH} CONTENT "${eos_werror}\n")

function(eos_target_defaults target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual)
    set(launcher ${PROJECT_SOURCE_DIR}/cmake/warnings-as-errors ${EOS_WERROR_SWITCH})
    set_target_properties(${target} PROPERTIES C_COMPILER_LAUNCHER "${launcher}" CXX_COMPILER_LAUNCHER "${launcher}")
  endif()
  # The fuzzers see the coverage of all the project's code, not only of their own file:
  # without it libFuzzer keeps no input that gets deeper into the code under test.
  if(EOS_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

if(WIN32)
  # The Windows architecture of this tree (i686 or x86_64) names its libraries' folders.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(EOS_ARCH x86_64)
  else()
    set(EOS_ARCH i686)
  endif()
  set(EOS_MINGW_ROOT /usr/${EOS_ARCH}-w64-mingw32)
  # Only system DLLs may be imported: the runtime libraries are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run)
  set(EOS_THIRD_PARTY ${PROJECT_SOURCE_DIR}/build/third_party/${EOS_ARCH} CACHE PATH "Static ${EOS_ARCH} libraries")
  list(PREPEND CMAKE_FIND_ROOT_PATH ${EOS_THIRD_PARTY})
elseif(EOS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The common-controls manifest as a resource of `target`: ID 2 for a DLL, which activates
# it itself around its windows (win/activation.h), ID 1 for a program, which Windows applies
# to the whole process.
function(eos_common_controls_manifest target id)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "${id} 24 \"${PROJECT_SOURCE_DIR}/win/res/common-controls.manifest\"\n")
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/win/res/common-controls.manifest)
endfunction()

# A DLL of the project starts at EosDllEntry (win/dll_entry.cpp), which frees what the thread
# runtime keeps for the host thread that frees the DLL. The linker wants the symbol's name:
# stdcall-decorated in 32 bits, plain in 64.
function(eos_dll_entry target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/win/dll_entry.cpp)
  if(EOS_ARCH STREQUAL "i686")
    target_link_options(${target} PRIVATE -Wl,--entry=_EosDllEntry@12)
  else()
    target_link_options(${target} PRIVATE -Wl,--entry=EosDllEntry)
  endif()
endfunction()

# libjpeg-turbo and libpng as eos::jpeg and eos::png: Debian's natively, the static builds
# of scripts/setup.sh for the tree's architecture in the Windows trees.
if(WIN32)
  foreach(lib jpeg png16 z)
    set(path ${EOS_THIRD_PARTY}/lib/lib${lib}.a)
    if(lib STREQUAL "z")
      set(path ${EOS_MINGW_ROOT}/lib/libz.a)
    endif()
    add_library(eos_lib_${lib} STATIC IMPORTED GLOBAL)
    set_target_properties(eos_lib_${lib} PROPERTIES IMPORTED_LOCATION ${path}
                          INTERFACE_INCLUDE_DIRECTORIES ${EOS_THIRD_PARTY}/include)
  endforeach()
  add_library(eos::jpeg ALIAS eos_lib_jpeg)
  add_library(eos_png INTERFACE)
  target_link_libraries(eos_png INTERFACE eos_lib_png16 eos_lib_z)
  add_library(eos::png ALIAS eos_png)
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  add_library(eos::jpeg ALIAS JPEG::JPEG)
  add_library(eos::png ALIAS PNG::PNG)
endif()
