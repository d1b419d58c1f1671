# Writes OUTPUT: the copyright and licence notices of the libraries compiled
# into the program, taken from their Debian packages' copyright files.
# NOTICES is a list of "title|file" entries; CRLF=ON writes CR LF line ends.
# Usage: cmake -DOUTPUT=... "-DNOTICES=..." [-DCRLF=ON] -P third_party_notices.cmake
set(text "scenario-compiler includes code from the libraries below. Their\n"
         "copyright notices and licences follow, as their Debian packages give them.\n")
string(CONCAT text ${text})
foreach(entry IN LISTS NOTICES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 title)
  list(GET entry 1 file)
  file(READ ${file} notice)
  string(APPEND text "\n\n==== ${title} ====\n\n${notice}")
endforeach()
if(CRLF)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE ${OUTPUT} "${text}")
