# Writes OUT, a C++ source holding the manual's files (those the help
# project lists, in its order) for the command to show and write out.
# cmake -DHELP_DIR=... -DOUT=... -P embed-manual.cmake
file(STRINGS ${HELP_DIR}/TarnwellHelp.hhp lines)
set(in_files FALSE)
set(entries "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line MATCHES "^\\[")
    set(in_files FALSE)
    if(line STREQUAL "[FILES]")
      set(in_files TRUE)
    endif()
  elseif(in_files AND NOT line STREQUAL "")
    file(READ ${HELP_DIR}/${line} content)
    if(content MATCHES "\\)tarnwell_manual\"")
      message(FATAL_ERROR "${line} holds the raw string's closing mark")
    endif()
    string(APPEND entries "    {\"${line}\", R\"tarnwell_manual(${content})tarnwell_manual\"},\n")
  endif()
endforeach()
file(WRITE ${OUT}.new "// Made at build time from help/ by cmake/embed-manual.cmake.\n"
  "#include \"cli/manual.h\"\n\nnamespace tarnwell::cli {\n\n"
  "const std::vector<ManualFile>& ManualFiles() {\n  static const std::vector<ManualFile> files{\n"
  "${entries}  };\n  return files;\n}\n\n}  // namespace tarnwell::cli\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
