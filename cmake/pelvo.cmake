# Helpers shared by every folder: a library lists its sources and its dependencies; a test
# binary is all test sources below its folder.

# pelvo_library(<name> SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>])
# A library in src/<folder>. Its users see only its own headers, as "<folder>/...": the include
# root it exposes holds nothing but a link to its folder, so a library can include a header only
# of itself and of what it links. Link PUBLIC what its own headers include, PRIVATE the rest.
function(pelvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# pelvo_tests(<name> [GUI] [DEPS <targets...>])
# GUI tests get a QApplication and run on the offscreen platform.
function(pelvo_tests name)
  cmake_parse_arguments(ARG "GUI" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE pelvo_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE pelvo_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PELVO_TEST_BIN_DIR=${PROJECT_BINARY_DIR}"
               TIMEOUT 300)
endfunction()
