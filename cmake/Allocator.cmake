# tunecrest_allocator: what a program links to get the fast heap (see
# platform/fast_allocator.cpp). Sanitizer and fuzz builds keep their own allocator.
add_library(tunecrest_allocator INTERFACE)
if(NOT TUNECREST_SANITIZE AND NOT TUNECREST_FUZZ)
  find_package(mimalloc REQUIRED)
  target_sources(tunecrest_allocator INTERFACE ${PROJECT_SOURCE_DIR}/platform/fast_allocator.cpp)
  target_link_libraries(tunecrest_allocator INTERFACE mimalloc)
  target_compile_definitions(tunecrest_allocator INTERFACE TUNECREST_MIMALLOC=1)
endif()
