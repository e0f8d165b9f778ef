# Transition covers of the program folder ("EffectCover/<kind>.jpg"): every kind, and Random,
# gets its transition between the two preview pictures rendered by the video renderers.
# gen_covers is the only writer of EffectCover/; a change of the renderers reruns it.
include(${CMAKE_CURRENT_LIST_DIR}/pictures.cmake)

add_executable(gen_covers ${CMAKE_CURRENT_LIST_DIR}/gen_covers.cpp)
target_link_libraries(gen_covers PRIVATE render imagelib)
set_target_properties(gen_covers PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/gen)

set(gen_covers_outputs)
foreach(kind random alpha accordion blinds circle clock cubefly diagonalsweep door flip fly polygon
             rotatein shutter spin sweep twist wipe zoom)
    list(APPEND gen_covers_outputs ${PICREEL_PROGRAM_DIR}/EffectCover/${kind}.jpg)
endforeach()
add_custom_command(OUTPUT ${gen_covers_outputs}
    COMMAND ${CMAKE_COMMAND} -E env PICREEL_DATA_DIR=${CMAKE_BINARY_DIR}/gen/data
            $<TARGET_FILE:gen_covers> ${PICREEL_PROGRAM_DIR}
    DEPENDS gen_covers ${PICREEL_PROGRAM_DIR}/menu_pic/0.jpg ${PICREEL_PROGRAM_DIR}/menu_pic/1.jpg
    COMMENT "Rendering transition covers"
    VERBATIM)
add_custom_target(gen_cover_data DEPENDS ${gen_covers_outputs})
add_dependencies(program_data gen_cover_data)
