# Makes a manual page from a program's own help text, so that the two never
# say different things:
#   cmake -DPROGRAM=path/to/program -DHELP_OPTION=--help -DNAME=program
#         -DSUMMARY="one line" -DVERSION=2.1.0 -DSECTIONS=program.man
#         -DOUTPUT=program.1 -P manpage.cmake
# The help's first paragraph (its usage lines) becomes the synopsis and the
# rest the description, kept as written (no filling, so its lists and
# columns stay). The sections a help text has no room for (files,
# environment, exit status, examples, see also) come from SECTIONS, in
# man(7) markup.

execute_process(COMMAND "${PROGRAM}" ${HELP_OPTION}
  OUTPUT_VARIABLE help RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} ${HELP_OPTION} failed (${status}): ${errors}")
endif()

# Text to roff: backslashes and minus signs as such (options stay
# copyable), and no line taken for a request.
function(to_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(FIND "${help}" "\n\n" end_of_usage)
string(SUBSTRING "${help}" 0 ${end_of_usage} usage)
math(EXPR rest_start "${end_of_usage} + 2")
string(SUBSTRING "${help}" ${rest_start} -1 description)
string(REGEX REPLACE "^Usage: *" "" usage "${usage}")
string(REGEX REPLACE "\n+$" "" description "${description}")
to_roff("${usage}" usage)
# Line breaks between the usage lines once the text is roff, so the
# requests are not escaped as text.
string(REGEX REPLACE "\n *" "\n.br\n" usage "${usage}")
to_roff("${description}" description)
to_roff("${NAME}" name)
to_roff("${SUMMARY}" summary)
string(TOUPPER "${NAME}" title)
file(READ "${SECTIONS}" sections)

file(WRITE "${OUTPUT}" ".TH ${title} 1 \"\" \"${NAME} ${VERSION}\" \"User Commands\"
.SH NAME
${name} \\- ${summary}
.SH SYNOPSIS
${usage}
.SH DESCRIPTION
.nf
${description}
.fi
${sections}")
