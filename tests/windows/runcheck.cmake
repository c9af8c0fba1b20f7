# Cross-builds the Windows folder walk check and runs it under wine. Without
# the cross compiler or wine it says so and is counted as skipped.
find_program(mingw x86_64-w64-mingw32-g++)
find_program(wine NAMES wine wine64)
if(NOT mingw OR NOT wine)
    message("Skipped: the Windows walk check needs x86_64-w64-mingw32-g++ and wine "
            "(apt-get install mingw-w64 wine)")
    return()
endif()

set(exe "${WORK_DIR}/check_windowswalk.exe")
set(tree "${WORK_DIR}/tree")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${mingw}" -std=c++20 -municode -O1 -static
    -Wall -Wextra -Wpedantic -Werror -I "${SOURCE_DIR}"
    "${SOURCE_DIR}/tests/windows/check_windowswalk.cpp"
    "${SOURCE_DIR}/privacy/traces/windowsfolder.cpp"
    "${SOURCE_DIR}/privacy/traces/windowswalk.cpp" -lntdll -o "${exe}"
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the Windows walk check did not build")
endif()

# A wine prefix of its own, kept between runs: making one takes a while.
set(ENV{WINEPREFIX} "${WORK_DIR}/wineprefix")
set(ENV{WINEDEBUG} "-all")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
file(REMOVE_RECURSE "${tree}")
# wine's drive Z: is the Unix root.
execute_process(COMMAND "${wine}" "${exe}" "Z:${tree}" RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${tree}")
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the Windows walk check failed: ${rc}")
endif()
