# Fails unless MODULE defines exactly the four in-process server entry points as its exports.
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot list the exports of ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported)
foreach(line IN LISTS lines)
    # Code and data symbols only; the linker's own markers carry other letters.
    if(line MATCHES "^[0-9a-fA-F]+ [TDBRVWiu] ([^ ]+)$")
        list(APPEND exported ${CMAKE_MATCH_1})
    endif()
endforeach()
list(SORT exported)
set(expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "${MODULE} exports [${exported}], expected [${expected}]")
endif()
