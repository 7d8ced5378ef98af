# One step of a room with 10000 instances that each run a step event, and the interpreter alone.
vl_bench(vl_runner_bench ${CMAKE_CURRENT_LIST_DIR}/Run_Bench.cpp vl_runner)
