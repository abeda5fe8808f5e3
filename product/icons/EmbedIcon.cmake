# tessaly_embed_icon(<target> <png>): puts the PNG file into the executable's section
# ".icon", where the desktop's menu entries find a program's icon, and gives the
# program the symbols tessaly_icon_png / tessaly_icon_png_end to show it itself.
function(tessaly_embed_icon target png)
  set(src ${CMAKE_CURRENT_BINARY_DIR}/${target}_icon.cpp)
  string(REPLACE "\\" "\\\\" path "${png}")
  string(REPLACE "\"" "\\\"" path "${path}")
  file(GENERATE OUTPUT ${src} CONTENT "// Generated: the program's icon in the section .icon.
__asm__(
    \".pushsection .icon,\\\"a\\\"\\n\"
    \".balign 16\\n\"
    \".globl tessaly_icon_png\\n\"
    \".hidden tessaly_icon_png\\n\"
    \"tessaly_icon_png:\\n\"
    \".incbin \\\"${path}\\\"\\n\"
    \".globl tessaly_icon_png_end\\n\"
    \".hidden tessaly_icon_png_end\\n\"
    \"tessaly_icon_png_end:\\n\"
    \".popsection\\n\");
")
  target_sources(${target} PRIVATE ${src})
  # The compiler does not see the .incbin input: rebuild when the picture changes.
  set_source_files_properties(${src} PROPERTIES OBJECT_DEPENDS ${png} GENERATED ON)
endfunction()
