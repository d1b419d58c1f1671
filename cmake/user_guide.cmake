# Writes the user's guide that the packages carry, USER-GUIDE.txt: the
# README's opening and its sections for users (installing, the commands, the
# author's guide, the warnings, importing a real line, decompiling, editors, Windows, bad input), in
# the README's words, so the guide and the README never disagree. The
# developers' sections (building, testing, releases, layout) stay out. The
# guide is Markdown, which reads as plain text.
# Usage: cmake -DREADME=README.md -DOUTPUT=... -DVERSION=x.y.z -DCRLF=ON|OFF
#              -P user_guide.cmake
# A section named here that the README lacks fails the build.
set(sections
  "Installing"
  "Command line"
  "Exit statuses"
  "Files"
  "Author's guide"
  "Warnings"
  "Importing a real line"
  "Decompiling"
  "Editors"
  "On Windows"
  "Bad input and failed writes")

file(READ ${README} readme)
string(REPLACE "\r\n" "\n" readme "${readme}")

# The opening: from after the title to the first section.
string(FIND "${readme}" "\n## " first)
string(FIND "${readme}" "\n" title_end)
if(first LESS 0)
  message(FATAL_ERROR "${README} has no sections")
endif()
math(EXPR start "${title_end} + 1")
math(EXPR length "${first} - ${start}")
string(SUBSTRING "${readme}" ${start} ${length} opening)
string(STRIP "${opening}" opening)

set(guide "# scenario-compiler ${VERSION}: user's guide\n\n${opening}\n\n")
string(APPEND guide
  "This guide comes with the program. The format reference, every record of\n"
  "both files with its fields, is FORMAT-REFERENCE.txt beside it;\n"
  "`scenario-compiler explain --reference` prints the same.\n\n"
  "Contents:\n\n")
foreach(name IN LISTS sections)
  string(APPEND guide "- ${name}\n")
endforeach()
string(APPEND guide "\n")

# Each section: from its heading to the next one (or the end).
foreach(name IN LISTS sections)
  string(FIND "${readme}" "\n## ${name}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "${README} lacks the section \"## ${name}\" that the user's guide takes")
  endif()
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(LENGTH "## ${name}\n" heading_length)
  string(SUBSTRING "${rest}" ${heading_length} -1 after_heading)
  string(FIND "${after_heading}" "\n## " next)
  if(next GREATER_EQUAL 0)
    math(EXPR next "${next} + ${heading_length}")
    string(SUBSTRING "${rest}" 0 ${next} section)
  else()
    set(section "${rest}")
  endif()
  string(STRIP "${section}" section)
  string(APPEND guide "${section}\n\n")
endforeach()
string(STRIP "${guide}" guide)
string(APPEND guide "\n")

if(CRLF)
  string(REPLACE "\n" "\r\n" guide "${guide}")
endif()
file(WRITE ${OUTPUT} "${guide}")
