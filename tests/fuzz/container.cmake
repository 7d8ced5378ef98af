fuzz_target(fuzz_container ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Container.cpp vl_runner vl_testsupport)
# Writes the seed games: fuzz_container_seeds tests/fuzz/corpus/fuzz_container. Built with the
# tests only: clang 14 does not compile the writer's project reader.
if(NOT VL_FUZZ)
  add_executable(fuzz_container_seeds ${CMAKE_CURRENT_LIST_DIR}/Container_Seeds.cpp)
  target_link_libraries(fuzz_container_seeds PRIVATE vl_writer)
endif()
