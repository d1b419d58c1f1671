# Copies the text file INPUT to OUTPUT with CR LF line ends, for the Windows
# package (Notepad and older editors show LF-only files as one line).
# Usage: cmake -DINPUT=... -DOUTPUT=... -P text_crlf.cmake
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
