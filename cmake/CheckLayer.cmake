cmake_minimum_required(VERSION 3.25)
# Refuses a source that includes a header of a folder above its own layer.
# Called with -DFOLDER=<folder under src> -DALLOWED=<folders;...> -DFILES=<files;...>
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "^#include \"[a-z]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^#include \"(.*)/[^/]+\".*$" "\\1" folder "${line}")
    if(NOT folder IN_LIST ALLOWED)
      message(SEND_ERROR "${file}: includes \"${folder}/\", which lies above ${FOLDER}/ "
                         "(it may include: ${ALLOWED})")
    endif()
  endforeach()
endforeach()
