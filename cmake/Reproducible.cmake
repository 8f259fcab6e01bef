# Two builds of one commit give the same files, byte for byte, in whatever
# folder, at whatever time and under whatever umask they run.

# No build folder in the released binaries (__FILE__, debug information);
# debug builds keep full paths for the debugger.
add_compile_options($<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
                    $<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>)
# The Windows linker would stamp the link time into the executable's header.
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Installed folders get their modes from here, not from the umask; cmake
# creates them through the umask all the same, so cpack sets them again on
# the staged tree before it packs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(WRITE ${PROJECT_BINARY_DIR}/FolderModes.cmake [=[
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(APPEND folders "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
  endif()
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/FolderModes.cmake)
# And the members of the package itself, after it is made.
file(WRITE ${PROJECT_BINARY_DIR}/MemberModes.cmake "execute_process(COMMAND \"${MIREBO_PYTHON3}\"
  \"${PROJECT_SOURCE_DIR}/cmake/ar_modes.py\" \${CPACK_PACKAGE_FILES} COMMAND_ERROR_IS_FATAL ANY)\n")
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/MemberModes.cmake)

# Every date a package carries is SOURCE_DATE_EPOCH: when not given, the
# date of the newest entry of resources/changelog.in, read when the package
# is made (resources/source_date.sh), never git's or the clock's. cpack reads
# this file before it packs; make_msi.sh, make_zip.sh and the relink kit ask
# the same script.
file(WRITE ${PROJECT_BINARY_DIR}/SourceDate.cmake "execute_process(COMMAND bash \"${PROJECT_SOURCE_DIR}/resources/source_date.sh\"
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(ENV{SOURCE_DATE_EPOCH} \"\${epoch}\")
")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/SourceDate.cmake)
