vl_bench(vl_script_bench ${CMAKE_CURRENT_LIST_DIR}/Script_Bench.cpp vl_script)
# Side by side with Lua 5.4 as whole processes: vlrun on packed games against the lua5.4 program.
add_executable(vl_script_vs_lua ${CMAKE_CURRENT_LIST_DIR}/Script_Lua_Bench.cpp)
add_dependencies(vl_script_vs_lua vlrun vlpack)
