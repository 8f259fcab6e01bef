# Windows DLLs that Qt links but a start never calls: the native dialogs and
# their printer spooler, Direct3D and DXGI, the network, user profiles,
# session notices, multimedia timers. Every imported DLL is loaded and
# initialised before main() runs, 28 of them in all, a good part of a
# start under Wine; these are loaded on their first call instead (the
# DLL's functions are reached through mingw-w64's delay-load helper).
# And the DLLs a start does call that are not KnownDLLs, which Windows would
# look for in the program's own folder first: loaded by name, after main()
# has restricted the search to the system folder (restrictDllSearch).
set(MIREBO_DELAY_LOADED authz comdlg32 d3d11 d3d9 dxgi netapi32 userenv ws2_32 wtsapi32 winmm
                        dwmapi dwrite version)

# Delay-import libraries under the import libraries' own names, made once
# at configure time from the import libraries' function names; a target
# that searches their folder first links them instead of the plain ones.
function(mirebo_make_delay_libraries)
  find_program(MIREBO_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool dlltool REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll IN LISTS MIREBO_DELAY_LOADED)
    find_library(import_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_${dll}}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "[^\n]* T [^\n]*" functions "${symbols}")
    list(TRANSFORM functions REPLACE ".* T " "")
    list(REMOVE_DUPLICATES functions)
    list(JOIN functions "\n" exports)
    file(WRITE ${dir}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${MIREBO_DLLTOOL} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                            --output-delaylib ${dir}/lib${dll}.a COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  set(MIREBO_DELAY_DIR ${dir} PARENT_SCOPE)
endfunction()

function(mirebo_delay_load target)
  target_link_directories(${target} BEFORE PRIVATE ${MIREBO_DELAY_DIR})
  target_link_libraries(${target} PRIVATE delayimp)
endfunction()
