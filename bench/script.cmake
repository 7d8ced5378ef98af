vl_bench(vl_script_bench ${CMAKE_CURRENT_LIST_DIR}/Script_Bench.cpp vl_script)
# Side by side with Lua 5.4 (the lua5.4 program), printing the time ratio per program.
vl_bench(vl_script_vs_lua ${CMAKE_CURRENT_LIST_DIR}/Script_Lua_Bench.cpp vl_script)
