# tunecrest_library(name [DEPS ...]): one static library from every .cpp file of the
# calling folder. New files are picked up on the next build without editing CMake.
function(tunecrest_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A folder with headers only so far: an interface library carries its links.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  tunecrest_warnings(${name})
endfunction()

# tunecrest_tests(name DIR folder [DEPS ...] [SOURCES ...] [SCREENS WxH ...]): one
# GoogleTest program from every .cpp file of tests/<folder> (and SOURCES), registered with
# CTest test by test. Its main (tests/support/test_main.cpp) stops a test that hangs.
# With SCREENS every test runs once per screen size, on an offscreen screen that large,
# its name prefixed with the size.
function(tunecrest_tests name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;SOURCES;SCREENS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TUNECREST_BIN_DIR="${TUNECREST_RUNTIME_DIR}"
    TUNECREST_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  tunecrest_warnings(${name})
  set(environment "GST_REGISTRY_FORK=no;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp")
  if(NOT ARG_SCREENS)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${environment}")
    return()
  endif()
  foreach(screen ${ARG_SCREENS})
    string(REPLACE "x" ";" extent ${screen})
    list(GET extent 0 width)
    list(GET extent 1 height)
    set(config "${CMAKE_CURRENT_BINARY_DIR}/${name}_screen_${screen}.json")
    file(WRITE ${config} "{\"windowFrameMargins\": false, \"screens\": [{\"name\": \"Touch\", \"x\": 0, \"y\": 0, \"width\": ${width}, \"height\": ${height}, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${screen}."
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${config};${environment}")
  endforeach()
endfunction()
