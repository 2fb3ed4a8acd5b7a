# The Windows-free core of the framework, shared by the Windows build and the native build.
set(FRAMEWORK_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/System.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SysUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TypInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Classes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Streams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Filer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ObjectText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AviClip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridAxis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaskUtils.cpp)
