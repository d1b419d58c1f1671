# Copies the text file INPUT to OUTPUT, with CR LF line ends unless CRLF is
# OFF (the Windows package's texts: Notepad and older editors show LF-only
# files as one line).
# Usage: cmake -DINPUT=... -DOUTPUT=... [-DCRLF=ON|OFF] -P text_crlf.cmake
if(NOT DEFINED CRLF)
  set(CRLF ON)
endif()
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
if(CRLF)
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE ${OUTPUT} "${text}")
