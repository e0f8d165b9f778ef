# Layers include downwards only: platform and imagelib at the bottom, then editor, model, render
# and app. Only platform talks to cairo, FFmpeg and SDL; the code above it sees the platform's own
# types and calls. Fails naming every offending line.
# cmake -DROOT=<source folder> -P layering.cmake
set(faults "")

# Appends every line of the folder's sources that matches the pattern to `faults`.
function(find_lines folder pattern)
    file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.c)
    foreach(source ${sources})
        file(STRINGS ${source} lines REGEX "${pattern}")
        foreach(line ${lines})
            file(RELATIVE_PATH name ${ROOT} ${source})
            string(APPEND faults "  ${name}: ${line}\n")
        endforeach()
    endforeach()
    set(faults "${faults}" PARENT_SCOPE)
endfunction()

set(include "^[ \t]*#[ \t]*include[ \t]*[\"<]")
set(rules
    "platform:editor|model|render|app"
    "imagelib:editor|model|render|app"
    "editor:model|render|app"
    "model:render|app"
    "render:app")
foreach(rule ${rules})
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 layer)
    list(GET parts 1 above)
    find_lines(${layer} "${include}(${above})/")
endforeach()
if(faults)
    message(FATAL_ERROR "includes of a layer above:\n${faults}")
endif()

# The program's code above the platform (tests and benchmarks may look into its workings).
set(third_party "cairo[-.a-z]*\\.h|cairo/|libav[a-z]*/|libsw[a-z]*/|libpostproc/|SDL2?/|SDL[_a-z]*\\.h")
foreach(folder imagelib editor model render app tools data)
    find_lines(${folder} "${include}(${third_party})")
    find_lines(${folder} "Cairo(Surface|Context)[ \t]*\\(")
endforeach()
if(faults)
    message(FATAL_ERROR "cairo, FFmpeg or SDL used outside the platform layer:\n${faults}")
endif()
