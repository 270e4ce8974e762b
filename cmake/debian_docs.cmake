# The man page, the changelog and the copyright file, installed where Debian
# looks for them: the first two compressed with gzip -9n (no name, no time
# stamp, so that builds are reproducible), the copyright file in Debian's
# machine-readable format, made from LICENSE.
find_program(GZIP gzip REQUIRED)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tarvo)
foreach(file ${PROJECT_BINARY_DIR}/tarvo.1 ${PROJECT_SOURCE_DIR}/packaging/changelog)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${name}.gz COMMAND ${GZIP} -9n -c ${file} > ${name}.gz
                     DEPENDS ${file} VERBATIM)
  list(APPEND compressed ${PROJECT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(compressed_docs DEPENDS ${compressed})
# Built with the tool, so that whatever builds the tool (the example preset
# too) leaves everything that the install copies.
add_dependencies(tarvo compressed_docs)
install(FILES ${PROJECT_BINARY_DIR}/tarvo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})

# LICENSE without its title and copyright line, as the licence text of the
# copyright file: each line indented by a space, an empty one as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
list(SUBLIST licence_lines 4 -1 licence_lines)
set(licence_text "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND licence_text " ${line}\n")
endforeach()
string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright_line "${TARVO_COPYRIGHT}")
file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tarvo
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${copyright_line}
License: Expat
${licence_text}")
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${doc_dir})
