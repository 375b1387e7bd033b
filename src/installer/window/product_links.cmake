# Makes FOLDER/<name> for every name of NAMES the same file as SOURCE: a hard link,
# or a copy where the file system refuses links.
foreach(name ${NAMES})
  set(target ${FOLDER}/${name})
  file(REMOVE ${target})
  file(CREATE_LINK ${SOURCE} ${target} RESULT result COPY_ON_ERROR)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot make ${target}: ${result}")
  endif()
endforeach()
