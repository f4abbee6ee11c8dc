# Qt side of the server list: the dialogs, the speed test and the adapter of
# the checker's notices. Included by src/CMakeLists.txt once vantrel_gui exists.
if(TARGET vantrel_gui)
  target_sources(vantrel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HostCheckAdapter.h
    ${CMAKE_CURRENT_LIST_DIR}/HostCheckAdapter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TfrmConfig.h
    ${CMAKE_CURRENT_LIST_DIR}/TfrmConfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TfrmConfigSet.h
    ${CMAKE_CURRENT_LIST_DIR}/TfrmConfigSet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TfrmTestSpeed.h
    ${CMAKE_CURRENT_LIST_DIR}/TfrmTestSpeed.cpp
  )
endif()
