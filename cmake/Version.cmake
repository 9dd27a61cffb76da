# The version the programs print and write into every ident block and
# directory file is kProgramVersion in src/tape/ProgramVersion.h; packages
# and man pages take project()'s. Configuring stops when the two differ, so
# a new release changes both.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/tape/ProgramVersion.h tw_version_line REGEX "kProgramVersion\\[\\] = \"")
string(REGEX MATCH "\"([^\"]*)\"" tw_version_match "${tw_version_line}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "src/tape/ProgramVersion.h says version '${CMAKE_MATCH_1}', project() says "
                      "'${PROJECT_VERSION}': change both together")
endif()
