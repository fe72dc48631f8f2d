# Puts the page together: page.html with its style, its scripts and the
# worker's source (worker.js, then the core built by emscripten) in place of
# the {{STYLE}}, {{SCRIPT}} and {{WORKER}} lines. The worker's source sits in
# a script element of its own type, which the browser does not run; the page
# starts its workers from that text.
#
# cmake -DPAGE_SOURCE=web/page -DCORE=roomxfer_core.js -DOUTPUT=roomxfer.html -P assemble_page.cmake
file(READ ${PAGE_SOURCE}/page.html page)
file(READ ${PAGE_SOURCE}/style.css style)
set(script "'use strict';\n")
foreach(part core_client map pictures controls)
  file(READ ${PAGE_SOURCE}/${part}.js text)
  string(APPEND script "${text}")
endforeach()
file(READ ${PAGE_SOURCE}/worker.js worker)
file(READ ${CORE} core)
string(APPEND worker "${core}")

# Inside a script element, "</script" would end it early.
foreach(part script worker)
  string(TOLOWER "${${part}}" lower)
  string(FIND "${lower}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The page's ${part} holds \"</script\" at ${at}: it cannot be inlined.")
  endif()
endforeach()

foreach(placeholder STYLE SCRIPT WORKER)
  string(FIND "${page}" "{{${placeholder}}}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "page.html lacks {{${placeholder}}}.")
  endif()
endforeach()
string(REPLACE "{{STYLE}}" "${style}" page "${page}")
string(REPLACE "{{SCRIPT}}" "${script}" page "${page}")
string(REPLACE "{{WORKER}}" "${worker}" page "${page}")
file(WRITE ${OUTPUT}.part "${page}")
file(RENAME ${OUTPUT}.part ${OUTPUT})
