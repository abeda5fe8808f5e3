# Run by CTest: formc text -> binary -> text -> binary with a storage component.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
string(REPEAT "payload-bytes " 3000 payload)
file(WRITE ${WORK}/data.lzd "${payload}")
file(WRITE ${WORK}/Unit1.dfm
"object Form1: TForm1
  Caption = 'Setup'
  object FileStorage1: TFileStorage
    FileName = 'data.lzd'
    Left = 8
    Top = 16
  end
  object Label1: TLabel
    Caption = 'after the storage'
  end
end
")
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}): ${err}")
  endif()
endfunction()
run(${FORMC} ${WORK}/Unit1.dfm -o ${WORK}/a.bin)
run(${FORMC} --text ${WORK}/a.bin -o ${WORK}/a.dfm)
run(${FORMC} ${WORK}/a.dfm -o ${WORK}/b.bin)
run(${FORMC} --text ${WORK}/b.bin -o ${WORK}/b.dfm)
file(READ ${WORK}/a.bin a HEX)
file(READ ${WORK}/b.bin b HEX)
file(READ ${WORK}/a.dfm ta)
file(READ ${WORK}/b.dfm tb)
if(NOT a STREQUAL b OR NOT ta STREQUAL tb)
  message(FATAL_ERROR "round trip not stable")
endif()
# The storage record follows the component's two end bytes: 08, 04 and the size 42000.
string(FIND "${a}" "0000080410a40000" at)
if(at EQUAL -1)
  message(FATAL_ERROR "storage record not found")
endif()
string(FIND "${ta}" "DataSize = 42000" at)
if(at EQUAL -1)
  message(FATAL_ERROR "text lacks DataSize: ${ta}")
endif()
