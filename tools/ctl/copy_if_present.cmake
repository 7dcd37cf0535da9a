# cmake -DSRC=file -DDST=file -P copy_if_present.cmake: copies SRC to DST when
# SRC exists and differs; does nothing when it does not exist.
if(EXISTS "${SRC}")
  file(COPY_FILE "${SRC}" "${DST}" ONLY_IF_DIFFERENT)
endif()
