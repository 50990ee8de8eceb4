# Writes a manual page from a program's own --help text, so the page and the
# help can never say different things. Run at build time:
#
#   cmake -DPROGRAM=<built program> -DNAME=<name> -DSUMMARY=<one line>
#         -DHELP_ARG=<--help> -DSECTIONS=<roff file> -DVERSION=<v> -DOUTPUT=<page>
#         -P man_page.cmake
#
# The help text becomes the OPTIONS section word for word, where SECTIONS has
# the line '.\" @OPTIONS@'; SECTIONS adds what the help text does not say
# (synopsis, description, signals, files, see also).
foreach(v PROGRAM NAME SUMMARY HELP_ARG SECTIONS VERSION OUTPUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "man_page.cmake: ${v} not given")
  endif()
endforeach()

# An empty home and working directory: no station's .kelorc may change the text.
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
set(home "${out_dir}/man-home-${NAME}")
file(REMOVE_RECURSE "${home}")
file(MAKE_DIRECTORY "${home}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env HOME=${home} --unset=DISPLAY "${PROGRAM}" ${HELP_ARG}
  WORKING_DIRECTORY "${home}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${home}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${HELP_ARG} failed (${rc}): ${err}")
endif()
set(help "${out}${err}")
# The program names itself by the path it was started from.
string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
if(help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} ${HELP_ARG} printed nothing")
endif()

# roff: backslashes written as \e, minus signs as \-, a leading '.' or ''' protected.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")

file(READ "${SECTIONS}" sections)
set(options ".SH OPTIONS\nThe text of \\fB${NAME} ${HELP_ARG}\\fR:\n.PP\n.nf\n.ft CR\n${help}.ft R\n.fi\n")
string(FIND "${sections}" ".\\\" @OPTIONS@\n" at)
if(at LESS 0)
  message(FATAL_ERROR "${SECTIONS} has no line '.\\\" @OPTIONS@' where the help text goes")
endif()
string(REPLACE ".\\\" @OPTIONS@\n" "${options}" sections "${sections}")
string(TOUPPER "${NAME}" upper)
file(WRITE "${OUTPUT}"
  ".TH ${upper} 1 \"\" \"kelo ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n${NAME} \\- ${SUMMARY}\n"
  "${sections}")
