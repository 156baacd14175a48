# Run by CPack on the staged package: Debian keeps the programs of games in /usr/games.
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "no programs staged in ${CPACK_TEMPORARY_DIRECTORY}/usr/bin")
endif()
file(MAKE_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}/usr/games")
foreach(program ${programs})
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${CPACK_TEMPORARY_DIRECTORY}/usr/games/${name}")
endforeach()
file(REMOVE_RECURSE "${CPACK_TEMPORARY_DIRECTORY}/usr/bin")

# The service units name the programs where the package puts them.
foreach(program pelvo-table pelvo-hub)
  set(unit "${CPACK_TEMPORARY_DIRECTORY}/usr/lib/systemd/system/${program}@.service")
  if(EXISTS "${unit}")
    file(READ "${unit}" text)
    string(REGEX REPLACE "ExecStart=[^ \n]*/${program}" "ExecStart=/usr/games/${program}" text
                         "${text}")
    file(WRITE "${unit}" "${text}")
  endif()
endforeach()
