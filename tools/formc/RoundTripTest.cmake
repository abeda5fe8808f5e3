# Run by CTest: formc text -> binary -> text -> binary with a storage component.
set(input ${WORK}-input)
file(REMOVE_RECURSE ${input})
file(MAKE_DIRECTORY ${input})
string(REPEAT "payload-bytes " 3000 payload)
file(WRITE ${input}/data.lzd "${payload}")
file(WRITE ${input}/Unit1.dfm
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
set(INPUT ${input}/Unit1.dfm)
include(${CMAKE_CURRENT_LIST_DIR}/StableRoundTrip.cmake)
# The storage record follows the component's two end bytes: 08, 04 and the size 42000.
string(FIND "${a}" "0000080410a40000" at)
if(at EQUAL -1)
  message(FATAL_ERROR "storage record not found")
endif()
string(FIND "${ta}" "DataSize = 42000" at)
if(at EQUAL -1)
  message(FATAL_ERROR "text lacks DataSize: ${ta}")
endif()
