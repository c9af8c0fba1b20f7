# Runs one test binary with its own empty config, data and cache folders,
# so no test ever touches a real user's files.
string(RANDOM LENGTH 12 suffix)
set(home "$ENV{TMPDIR}")
if(NOT home)
    set(home "/tmp")
endif()
set(home "${home}/harbrow-test-${suffix}")
file(MAKE_DIRECTORY "${home}/config" "${home}/data" "${home}/cache")
set(ENV{XDG_CONFIG_HOME} "${home}/config")
set(ENV{XDG_DATA_HOME} "${home}/data")
set(ENV{XDG_CACHE_HOME} "${home}/cache")
set(ENV{XDG_RUNTIME_DIR} "${home}")
set(ENV{HOME} "${home}")
set(command "${TEST_BINARY}")
# A test that drives the real pointer runs on an X server of its own; where
# there is none it stays offscreen and skips itself.
if(DEFINED ENV{HARBROW_TEST_X11})
    find_program(xvfb_run xvfb-run)
    if(xvfb_run)
        set(ENV{QT_QPA_PLATFORM} xcb)
        # X brings in the web engine's and the bus's own code, built without
        # frame pointers: only the slow unwinder follows a leak there to its
        # library, and so to the suppressions.
        if(DEFINED ENV{ASAN_OPTIONS})
            set(ENV{ASAN_OPTIONS} "$ENV{ASAN_OPTIONS}:fast_unwind_on_malloc=0")
        endif()
        set(command "${xvfb_run}" -a -s "-screen 0 1024x768x24" "${TEST_BINARY}")
    endif()
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${home}")
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TEST_BINARY} failed: ${rc}")
endif()
