# Precise collisions of two 64 x 64 sprites, loading a 100-frame GIF, and the masks of 32 frames.
vl_bench(vl_images_bench ${CMAKE_CURRENT_LIST_DIR}/Images_Bench.cpp vl_data)
