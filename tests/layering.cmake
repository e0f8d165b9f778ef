# Layers include downwards only: platform and imagelib at the bottom, then editor, model, render
# and app. Fails naming every include of a layer above.
# cmake -DROOT=<source folder> -P layering.cmake
set(rules
    "platform:editor|model|render|app"
    "imagelib:editor|model|render|app"
    "editor:model|render|app"
    "model:render|app"
    "render:app")
set(faults "")
foreach(rule ${rules})
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 layer)
    list(GET parts 1 above)
    file(GLOB_RECURSE sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.c)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${above})/")
        foreach(line ${includes})
            file(RELATIVE_PATH name ${ROOT} ${source})
            string(APPEND faults "  ${name}: ${line}\n")
        endforeach()
    endforeach()
endforeach()
if(faults)
    message(FATAL_ERROR "includes of a layer above:\n${faults}")
endif()
