fuzz_target(fuzz_container ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Container.cpp vl_runner vl_testsupport)
