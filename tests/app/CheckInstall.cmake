# Installs the build into a fresh prefix and checks that the program arrives as a desktop program:
# the executable, its desktop entry offering it for catalog files, the MIME type of "*.qlmk" and
# the icons. Run by ctest with BUILD_DIR and PREFIX set.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE Result OUTPUT_QUIET)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${Result}")
endif()
foreach(File
    bin/quillmark
    share/applications/quillmark.desktop
    share/mime/packages/quillmark.xml
    share/icons/hicolor/scalable/apps/quillmark.svg
    share/icons/hicolor/48x48/apps/quillmark.png
    share/icons/hicolor/scalable/mimetypes/application-x-quillmark-catalog.svg)
  if(NOT EXISTS "${PREFIX}/${File}")
    message(FATAL_ERROR "not installed: ${File}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/quillmark.desktop" Desktop)
foreach(Line "Exec=quillmark %f" "Icon=quillmark" "MimeType=application/x-quillmark-catalog;")
  string(FIND "${Desktop}" "${Line}" At)
  if(At LESS 0)
    message(FATAL_ERROR "the desktop entry lacks ${Line}")
  endif()
endforeach()
file(READ "${PREFIX}/share/mime/packages/quillmark.xml" Mime)
string(FIND "${Mime}" "<glob pattern=\"*.qlmk\"/>" At)
if(At LESS 0)
  message(FATAL_ERROR "the MIME type does not claim *.qlmk")
endif()
file(REMOVE_RECURSE "${PREFIX}")
