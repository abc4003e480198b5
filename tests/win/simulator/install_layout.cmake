# Installs the stand-in (its install component) into a fresh folder and checks where it
# lands and that it imports Windows' own libraries only. Run by CTest on the build machine:
#   cmake -DBUILD=<tree> -DPREFIX=<folder> -DOBJDUMP=<objdump> -P install_layout.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --component edsdk RESULT_VARIABLE rc
                OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(dll ${PREFIX}/Canon_EOS_SDK_redist/EDSDK.DLL)
if(NOT EXISTS ${dll})
  message(FATAL_ERROR "not installed: ${dll}")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${dll} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT rc EQUAL 0 OR NOT imports)
  message(FATAL_ERROR "cannot read the imports of ${dll}")
endif()
foreach(import IN LISTS imports)
  string(TOUPPER "${import}" name)
  if(NOT name MATCHES "DLL NAME: (KERNEL32|USER32|MSVCRT)\\.DLL")
    message(FATAL_ERROR "${dll} imports a library that is not Windows' own: ${import}")
  endif()
endforeach()
