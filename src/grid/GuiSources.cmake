# Qt side of the grid formatter, included by src/CMakeLists.txt once
# vantrel_gui exists; the core list in CMakeLists.txt stays free of Qt.
if(TARGET vantrel_gui)
  target_sources(vantrel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/GridModel.h
    ${CMAKE_CURRENT_LIST_DIR}/GridModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DBGrid.h
    ${CMAKE_CURRENT_LIST_DIR}/DBGrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/GridPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TfrmPreview.h
    ${CMAKE_CURRENT_LIST_DIR}/TfrmPreview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TfrmPrintSetup.h
    ${CMAKE_CURRENT_LIST_DIR}/TfrmPrintSetup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFormatDBGrid.h
    ${CMAKE_CURRENT_LIST_DIR}/TFormatDBGrid.cpp
  )
endif()
