# CPack post-build step for the debug-symbol package (vistametra-dbgsym): CMake 3.25 writes its
# md5sums with the build machine's absolute paths, and the package has no documentation folder.
# The package is unpacked, given relative md5sums and, as Debian's own debug packages have, a
# /usr/share/doc/<name>-dbgsym link to the main package's folder, and packed again; its .debug
# files are compressed and made 0644 on the way.
set(ddebs ${CPACK_PACKAGE_FILES})
list(FILTER ddebs INCLUDE REGEX "-dbgsym_.*\\.ddeb$")
foreach(ddeb IN LISTS ddebs)
  set(tree "${CPACK_PACKAGE_DIRECTORY}/dbgsym-fixup")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${ddeb}" "${tree}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${ddeb}")
  endif()

  file(MAKE_DIRECTORY "${tree}/usr/share/doc")
  file(CREATE_LINK "${CPACK_PACKAGE_NAME}" "${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym"
       SYMBOLIC)

  # The debug files are data, compressed as Debian's own debug packages have them.
  file(GLOB_RECURSE debug_files LIST_DIRECTORIES false "${tree}/usr/lib/debug/*.debug")
  foreach(f IN LISTS debug_files)
    execute_process(COMMAND objcopy --compress-debug-sections "${f}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot compress ${f}")
    endif()
    file(CHMOD "${f}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
  list(SORT files)
  set(md5sums "")
  foreach(f IN LISTS files)
    if(NOT IS_SYMLINK "${tree}/${f}")
      file(MD5 "${tree}/${f}" sum)
      string(APPEND md5sums "${sum}  ${f}\n")
    endif()
  endforeach()
  file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")

  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b "${tree}" "${ddeb}"
                  RESULT_VARIABLE failed OUTPUT_QUIET)
  if(failed)
    message(FATAL_ERROR "cannot pack ${ddeb} again")
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
