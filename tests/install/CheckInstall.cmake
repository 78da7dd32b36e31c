# cmake -DBUILD_DIR=<build tree> -DSTAGE=<folder> -P CheckInstall.cmake
# Installs the build into STAGE (as DESTDIR, prefix /opt/qv) and checks
# what a desktop needs: the program with its plug-ins and platform library in
# one folder, the command, the menu entry with its icon, and the udev rule.
# Installed again with --strip, the binaries carry no debug information and
# the program still finds its platform library.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /opt/qv
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(root ${STAGE}/opt/qv)
foreach(f lib/quorvel/quorvel lib/quorvel/dorbII.so lib/quorvel/zenk.so lib/quorvel/libqvplatform.so
          share/applications/quorvel.desktop
          share/icons/hicolor/16x16/apps/quorvel.png share/icons/hicolor/32x32/apps/quorvel.png
          share/icons/hicolor/48x48/apps/quorvel.png share/icons/hicolor/128x128/apps/quorvel.png)
  if(NOT EXISTS ${root}/${f})
    message(FATAL_ERROR "missing ${f}")
  endif()
endforeach()

# The command is a link to the program in its folder, which the program
# finds its plug-ins beside.
file(READ_SYMLINK ${root}/bin/quorvel link)
if(NOT link STREQUAL "../lib/quorvel/quorvel")
  message(FATAL_ERROR "bin/quorvel links to '${link}'")
endif()
execute_process(COMMAND ldd ${root}/lib/quorvel/quorvel OUTPUT_VARIABLE libs)
if(NOT libs MATCHES "libqvplatform.so => ${root}/lib/quorvel/libqvplatform.so")
  message(FATAL_ERROR "the program does not load its own platform library:\n${libs}")
endif()

file(READ ${root}/share/applications/quorvel.desktop entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Quorvel" "Exec=/opt/qv/bin/quorvel" "Icon=quorvel")
  string(FIND "${entry}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "quorvel.desktop lacks '${line}':\n${entry}")
  endif()
endforeach()

# Outside /usr the rule goes to /etc, where udev reads it; it tags the
# card's hidraw nodes in normal and update mode for the seat's user.
file(READ ${STAGE}/etc/udev/rules.d/70-quorvel.rules rules)
foreach(product 0036 001d 0020)
  if(NOT rules MATCHES "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"2b53\", ATTRS{idProduct}==\"${product}\", TAG\\+=\"uaccess\"")
    message(FATAL_ERROR "no uaccess rule for product ${product}:\n${rules}")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /opt/qv --strip
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install --strip failed: ${rc}")
endif()
foreach(f quorvel dorbII.so zenk.so libqvplatform.so)
  execute_process(COMMAND readelf -S --wide ${root}/lib/quorvel/${f} OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR sections MATCHES "\\.debug_info" OR NOT sections MATCHES "\\.text")
    message(FATAL_ERROR "${f} is not a stripped binary:\n${sections}")
  endif()
endforeach()
execute_process(COMMAND ldd ${root}/lib/quorvel/quorvel OUTPUT_VARIABLE libs)
if(NOT libs MATCHES "libqvplatform.so => ${root}/lib/quorvel/libqvplatform.so")
  message(FATAL_ERROR "the stripped program does not load its own platform library:\n${libs}")
endif()
file(REMOVE_RECURSE ${STAGE})
