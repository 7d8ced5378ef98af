# Motion of 10000 instances per step: friction, gravity and paths.
vl_bench(vl_world_bench ${CMAKE_CURRENT_LIST_DIR}/World_Bench.cpp vl_world vl_library)
# The collision pass of one step for 5000 moving instances: the grid against every pair.
vl_bench(vl_collision_bench ${CMAKE_CURRENT_LIST_DIR}/Collision_Bench.cpp vl_world vl_library)
