# Default music and the silent MP2 of the program folder, synthesised by our own generator.
add_executable(gen_audio ${CMAKE_CURRENT_LIST_DIR}/gen_audio.cpp)
target_link_libraries(gen_audio PRIVATE platform_av)
set_target_properties(gen_audio PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/gen)

set(gen_audio_outputs ${PICREEL_PROGRAM_DIR}/menu_pic/default.mp3 ${PICREEL_PROGRAM_DIR}/menu_pic/silent.mp2)
add_custom_command(OUTPUT ${gen_audio_outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PICREEL_PROGRAM_DIR}/menu_pic
    COMMAND gen_audio ${PICREEL_PROGRAM_DIR}/menu_pic
    DEPENDS gen_audio
    COMMENT "Generating default music and silent MP2"
    VERBATIM)
add_custom_target(gen_audio_data DEPENDS ${gen_audio_outputs})
add_dependencies(program_data gen_audio_data)
