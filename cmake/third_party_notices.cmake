# Writes OUTPUT: the copyright and licence notices of the libraries compiled
# into the program, taken from their Debian packages' copyright files.
# NOTICES is a list of "title|file" or "title|file|licence" entries; with a
# licence name, only the upstream copyright line and that licence's own
# paragraph are taken from the file (for packages whose copyright file lists
# thousands of files under one licence). CRLF=ON writes CR LF line ends.
# Usage: cmake -DOUTPUT=... "-DNOTICES=..." [-DCRLF=ON] -P third_party_notices.cmake
set(text "scenario-compiler includes code from the libraries below. Their\n"
         "copyright notices and licences follow, as their Debian packages give them.\n")
string(CONCAT text ${text})
foreach(entry IN LISTS NOTICES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 title)
  list(GET entry 1 file)
  file(READ ${file} notice)
  list(LENGTH entry fields)
  if(fields GREATER 2)
    list(GET entry 2 licence)
    string(REGEX MATCH "\nCopyright: [^\n]*\n" copyright "${notice}")
    string(FIND "${notice}" "\n\nLicense: ${licence}\n" start)
    if(start LESS 0)
      message(FATAL_ERROR "${file} has no paragraph for the licence ${licence}")
    endif()
    string(SUBSTRING "${notice}" ${start} -1 paragraph)
    string(SUBSTRING "${paragraph}" 2 -1 paragraph)
    string(FIND "${paragraph}" "\n\n" end)
    string(SUBSTRING "${paragraph}" 0 ${end} paragraph)
    string(STRIP "${copyright}" copyright)
    set(notice "${copyright}\n${paragraph}\n")
  endif()
  string(APPEND text "\n\n==== ${title} ====\n\n${notice}")
endforeach()
if(CRLF)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE ${OUTPUT} "${text}")
