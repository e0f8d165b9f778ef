# Transition covers of the program folder ("EffectCover/<kind>.jpg"): a kind with a renderer of
# its own gets its transition between the two preview pictures rendered by the video renderers;
# the others get the drawn cover of pictures.cmake. gen_covers is the only writer of EffectCover/
# (the drawn covers wait in the build tree), so no file belongs to two rules: a change of the
# renderers reruns gen_covers alone, a change of the drawings reruns both, in that order.
include(${CMAKE_CURRENT_LIST_DIR}/pictures.cmake)

add_executable(gen_covers ${CMAKE_CURRENT_LIST_DIR}/gen_covers.cpp)
target_link_libraries(gen_covers PRIVATE render imagelib)
set_target_properties(gen_covers PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/gen)

list(TRANSFORM gen_pictures_cover_files PREPEND ${PICREEL_PROGRAM_DIR}/EffectCover/ OUTPUT_VARIABLE gen_covers_outputs)
add_custom_command(OUTPUT ${gen_covers_outputs}
    COMMAND ${CMAKE_COMMAND} -E env PICREEL_DATA_DIR=${CMAKE_BINARY_DIR}/gen/data
            $<TARGET_FILE:gen_covers> ${PICREEL_PROGRAM_DIR} ${gen_pictures_cover_dir}
    DEPENDS gen_covers ${PICREEL_PROGRAM_DIR}/menu_pic/0.jpg ${PICREEL_PROGRAM_DIR}/menu_pic/1.jpg
            ${gen_pictures_cover_outputs}
    COMMENT "Rendering transition covers"
    VERBATIM)
add_custom_target(gen_cover_data DEPENDS ${gen_covers_outputs})
add_dependencies(program_data gen_cover_data)
