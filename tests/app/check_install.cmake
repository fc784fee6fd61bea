# Installs the build into a temporary prefix and checks that the program, the
# companion, the sketch module and the reader of old tables, the desktop entry
# and the icons land where they are looked for.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(f bin/ofenring bin/ofenring-cli lib/ofenring/ofenring-paradox-reader lib/ofenring/zobeldll.so
          share/applications/ofenring.desktop share/man/man1/ofenring-cli.1.gz
          share/icons/hicolor/16x16/apps/ofenring.png share/icons/hicolor/48x48/apps/ofenring.png
          share/icons/hicolor/256x256/apps/ofenring.png)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/ofenring.desktop" entry)
foreach(line "Exec=ofenring" "Icon=ofenring" "Type=Application" "Name=Ofenring")
  list(FIND entry "${line}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "desktop entry lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
