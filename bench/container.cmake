vl_bench(bench_container ${CMAKE_CURRENT_LIST_DIR}/Bench_Container.cpp vl_runner vl_writer)
