fuzz_target(fuzz_container ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Container.cpp vl_runner vl_testsupport)
# Writes the seed games: fuzz_container_seeds tests/fuzz/corpus/fuzz_container
add_executable(fuzz_container_seeds ${CMAKE_CURRENT_LIST_DIR}/Container_Seeds.cpp)
target_link_libraries(fuzz_container_seeds PRIVATE vl_writer)
