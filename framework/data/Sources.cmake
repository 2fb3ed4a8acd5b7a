# The dataset layer (Windows-free), shared by the Windows build and the native build.
set(FRAMEWORK_DATA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DB.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemTable.cpp)
