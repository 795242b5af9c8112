# Runs cpack into WORK_DIR, compares each package's file list with the
# expected one, unpacks them all into one folder (as dpkg -x does for a user
# without root) and runs the programs from there.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/root)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RunChecked.cmake)

run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR})

set(expect_telvane
    ./usr/bin/dtusim ./usr/bin/telvane ./usr/bin/telvanectl ./usr/share/applications/telvane.desktop
    ./usr/share/bash-completion/completions/telvanectl ./usr/share/man/man1/telvanectl.1
    ./usr/share/icons/hicolor/256x256/apps/telvane.png ./usr/share/telvane/cmds.json)
set(expect_libpixrun1 ./usr/lib/libpixrun.so.1 ./usr/lib/libpixrun.so.1.0.0
    ./usr/libexec/pixrun/pixrun-jxrdecode)
set(expect_libpixrun-dev
    ./usr/include/pixrun.h ./usr/lib/cmake/pixrun/pixrunConfig.cmake
    ./usr/lib/cmake/pixrun/pixrunConfigVersion.cmake ./usr/lib/cmake/pixrun/pixrunTargets.cmake
    ./usr/lib/libpixrun.so ./usr/lib/pkgconfig/pixrun.pc)
set(expect_pixrun ./usr/bin/pixrun)
# Dependencies each package must state (dpkg-shlibdeps or the package beside it).
set(depends_telvane libqt5serialport5 libqt5widgets5 liblzma5)
set(depends_libpixrun1 libpng16-16 libtiff6 libjxr0)
set(depends_libpixrun-dev "libpixrun1 (= ${VERSION})")
set(depends_pixrun "libpixrun1 (= ${VERSION})")

foreach(pkg telvane libpixrun1 libpixrun-dev pixrun)
  file(GLOB deb ${WORK_DIR}/${pkg}_${VERSION}_*.deb)
  if(NOT deb)
    file(GLOB made ${WORK_DIR}/*.deb)
    message(FATAL_ERROR "no package ${pkg}; made: ${made}")
  endif()
  run(dpkg-deb --contents ${deb})
  string(REGEX MATCHALL "\\./[^\n]*[^/\n]\n" files "${out}")
  string(REPLACE "\n" "" files "${files}")
  # The export set's per-configuration file is named after the build type.
  list(FILTER files EXCLUDE REGEX "pixrunTargets-.*\\.cmake$")
  string(REGEX REPLACE " -> [^;]*" "" files "${files}")
  list(SORT files)
  set(expected ${expect_${pkg}})
  list(SORT expected)
  if(NOT files STREQUAL expected)
    message(FATAL_ERROR "${pkg} holds\n  ${files}\nexpected\n  ${expected}")
  endif()
  run(dpkg-deb --field ${deb} Depends)
  foreach(dep IN LISTS depends_${pkg})
    string(FIND "${out}" "${dep}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${pkg} does not depend on ${dep}: ${out}")
    endif()
  endforeach()
  run(dpkg -x ${deb} ${WORK_DIR}/root)
endforeach()

set(root ${WORK_DIR}/root/usr)
# No display: the version must still be answered.
run(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=LD_LIBRARY_PATH
    QT_QPA_PLATFORM=xcb ${root}/bin/telvane --version)
if(NOT out MATCHES "^Telvane ${VERSION}")
  message(FATAL_ERROR "telvane --version: ${out}")
endif()
# Without arguments the tool prints its usage (exit code 2); that it runs at
# all shows it found the unpacked library through its run path.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${root}/bin/pixrun
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "usage: pixrun")
  message(FATAL_ERROR "pixrun did not start (${rc}): ${out}${err}")
endif()
run(ldd ${root}/bin/pixrun)
if(NOT out MATCHES "libpixrun\\.so\\.1 => ${root}/bin/\\.\\./lib/libpixrun\\.so\\.1")
  message(FATAL_ERROR "pixrun does not take the unpacked library:\n${out}")
endif()
