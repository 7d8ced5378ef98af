# 10000 sprites of 16 x 16 from 4 textures per frame on llvmpipe through EGL: batched, one draw
# call per sprite, and with the textures interleaved.
vl_bench(vl_render_bench ${CMAKE_CURRENT_LIST_DIR}/Render_Bench.cpp vl_graphics vl_platform_gl)
