# Pictures of the program folder (preview and sample pictures, backgrounds, the default picture),
# painted by our own generator.
include_guard(DIRECTORY)
add_executable(gen_pictures ${CMAKE_CURRENT_LIST_DIR}/gen_pictures.cpp)
target_link_libraries(gen_pictures PRIVATE imagelib Threads::Threads)
# Optimised even in debug builds: it runs on every fresh build.
target_compile_options(gen_pictures PRIVATE -O2)
set_target_properties(gen_pictures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/gen)

set(gen_pictures_files
    menu_pic/0.jpg menu_pic/1.jpg
    menu_pic/pal_menu_background.jpg menu_pic/ntsc_menu_background.jpg
    menu_pic/PAL_BG.png menu_pic/NTSC_BG.png
    res/defaultImage.bmp
    samples/01.jpg samples/02.jpg samples/03.jpg samples/04.jpg samples/05.png samples/06.jpg)
list(TRANSFORM gen_pictures_files PREPEND ${PICREEL_PROGRAM_DIR}/ OUTPUT_VARIABLE gen_pictures_outputs)

add_custom_command(OUTPUT ${gen_pictures_outputs}
    COMMAND gen_pictures ${PICREEL_PROGRAM_DIR}
    DEPENDS gen_pictures
    COMMENT "Generating program-folder pictures"
    VERBATIM)
add_custom_target(gen_picture_data DEPENDS ${gen_pictures_outputs})
add_dependencies(program_data gen_picture_data)
