# How a Windows DLL exports exactly OpenVantrel and OpenVantrelEx, by those
# names: the library (src/entry) and the export probe of the Windows tests use
# the same steps.
function(vantrel_windows_exports target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/entry/vantrel.def)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${target} PRIVATE VANTREL_BUILDING_LIBRARY)
  # vantrel.dll, not MinGW's libvantrel.dll: the name hosts load.
  set_target_properties(${target} PROPERTIES PREFIX "")
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit stdcall symbols are decorated (OpenVantrel@16) and the .def names
    # them undecorated: MinGW's linker joins the two, and says so unless told.
    target_link_options(${target} PRIVATE "LINKER:--enable-stdcall-fixup")
  endif()
endfunction()
