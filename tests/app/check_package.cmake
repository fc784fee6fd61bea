# Builds the Debian package from the build folder and checks its name, its
# files, their owners and modes, and its dependencies; runs the packaged
# companion from the unpacked files; and, where lintian is installed, checks
# that lintian reports no error.
#   cmake -DBUILD_DIR=... -DOUT=... -DVERSION=... -P check_package.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${OUT}"
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
set(deb "${OUT}/ofenring_${VERSION}_amd64.deb")
if(NOT result EQUAL 0 OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "cpack made no ${deb}:\n${log}")
endif()

function(fail what)
  message(FATAL_ERROR "${deb}: ${what}")
endfunction()

execute_process(COMMAND dpkg-deb -c "${deb}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  fail("dpkg-deb -c failed")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(paths)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  # "-rwxr-xr-x root/root  1713632 2024-05-03 12:00 ./usr/bin/ofenring"
  string(REGEX MATCH "^([-dl][-rwxsStT]+) ([^ ]+) +[0-9]+ [0-9-]+ [0-9:]+ \\.(/.*)$" m "${line}")
  if(NOT m)
    fail("unexpected line: ${line}")
  endif()
  set(mode "${CMAKE_MATCH_1}")
  set(owner "${CMAKE_MATCH_2}")
  string(REGEX REPLACE "/$" "" path "${CMAKE_MATCH_3}")
  if(NOT owner STREQUAL "root/root")
    fail("${path} belongs to ${owner}")
  endif()
  if(mode MATCHES "^-")
    list(APPEND paths "${path}")
    # Only what lies where Debian wants it, nothing of the build.
    if(NOT path MATCHES "^/usr/(bin/|lib/ofenring/|share/(applications|icons/hicolor|man/man1|doc/ofenring)/)")
      fail("a file outside the package's places: ${path}")
    endif()
    if(path MATCHES "^/usr/(bin/|lib/ofenring/ofenring-paradox-reader$)")
      set(want "-rwxr-xr-x")
    else()
      set(want "-rw-r--r--")
    endif()
    if(NOT mode STREQUAL want)
      fail("${path} has mode ${mode}, not ${want}")
    endif()
  endif()
endforeach()
foreach(f /usr/bin/ofenring /usr/bin/ofenring-cli
          /usr/lib/ofenring/zobeldll.so /usr/lib/ofenring/ofenring-paradox-reader
          /usr/share/applications/ofenring.desktop
          /usr/share/icons/hicolor/16x16/apps/ofenring.png /usr/share/icons/hicolor/48x48/apps/ofenring.png
          /usr/share/icons/hicolor/256x256/apps/ofenring.png
          /usr/share/man/man1/ofenring-cli.1.gz /usr/share/man/man1/ofenring.1.gz
          /usr/share/doc/ofenring/README.md /usr/share/doc/ofenring/copyright /usr/share/doc/ofenring/changelog.gz)
  if(NOT f IN_LIST paths)
    fail("lacks ${f}")
  endif()
endforeach()

foreach(field Package Architecture Version Depends)
  execute_process(COMMAND dpkg-deb -f "${deb}" ${field} OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${field} "${value}")
endforeach()
if(NOT Package STREQUAL "ofenring" OR NOT Architecture STREQUAL "amd64" OR NOT Version STREQUAL "${VERSION}")
  fail("is ${Package} ${Version} for ${Architecture}")
endif()
# What the binaries link (from dpkg-shlibdeps) and what the program loads at run time.
string(REGEX REPLACE " *\\([^)]*\\)" "" names "${Depends}")
string(REGEX REPLACE " *, *" ";" names "${names}")
foreach(p libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6printsupport6 libqt6network6
          libjpeg62-turbo libsqlite3-0 libpq5 pxlib1 libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n fonts-liberation)
  if(NOT p IN_LIST names)
    fail("does not depend on ${p}: ${Depends}")
  endif()
endforeach()

# The packaged companion runs from the package's files.
set(root "${OUT}/root")
execute_process(COMMAND dpkg-deb -x "${deb}" "${root}" RESULT_VARIABLE result)
execute_process(COMMAND "${root}/usr/bin/ofenring-cli" --help RESULT_VARIABLE result OUTPUT_VARIABLE help)
if(NOT result EQUAL 0 OR NOT help MATCHES "wiederherstellen")
  fail("its ofenring-cli --help does not work (${result})")
endif()

find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND "${LINTIAN}" --no-tag-display-limit "${deb}" OUTPUT_VARIABLE report ERROR_VARIABLE ignored)
  if(report MATCHES "(^|\n)E: ")
    fail("lintian reports errors:\n${report}")
  endif()
  message(STATUS "lintian:\n${report}")
endif()
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${OUT}")
