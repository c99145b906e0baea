cmake_minimum_required(VERSION 3.21)
# Writes one file of the demonstration payload: fixed text lines until the
# file has the requested size, so that every build makes the same bytes and
# every 4096-byte chunk differs from its neighbours.
#   cmake -DNAME=MFC30.DLL -DSIZE=307200 -DOUT=path -P make_payload.cmake
set(block "")
set(content "")
set(line_no 0)
string(LENGTH "${NAME}" name_length)
while(TRUE)
  math(EXPR line_no "${line_no} + 1")
  string(LENGTH "${line_no}" digits)
  math(EXPR pad "7 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  string(APPEND block "${NAME} demonstration payload of ORLO 1.1, line ${zeros}${line_no}\n")
  # Flush in blocks: appending to a large string line by line is slow.
  if(line_no MATCHES "00$")
    string(APPEND content "${block}")
    set(block "")
    string(LENGTH "${content}" length)
    if(length GREATER_EQUAL SIZE)
      break()
    endif()
  endif()
endwhile()
string(SUBSTRING "${content}" 0 ${SIZE} content)
file(WRITE "${OUT}" "${content}")
