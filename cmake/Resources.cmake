# Embedding of named resources into an executable.
#
#   pallimer_embed_resources(<target>
#     [RCDATA <name> <file>]...     raw data under a name
#     [BITMAP <name> <file>]...     a .bmp file under a name (LoadBitmap by name)
#     [FORM <file.dfm>]...          compiled by formc; named after its root class in
#                                   capitals (object Form1: TForm1 -> TFORM1)
#     [STRINGTABLE <file>]...       lines "<number> <text>" (LoadString by number)
#     [DEPENDS <file>...])          further inputs of the forms (design-time files
#                                   such as a stored archive)
#
# The bytes go in through the assembler's .incbin, so even an archive of many
# megabytes costs no more than a copy; nothing is converted to source text. Each call
# adds one generated source to the target whose static initialiser registers the
# blocks with platform/classes/Resources.h. Names are case-insensitive.
include_guard(GLOBAL)

function(_pallimer_asm_path out path)
  string(REPLACE "\\" "\\\\" p "${path}")
  string(REPLACE "\"" "\\\"" p "${p}")
  set(${out} "${p}" PARENT_SCOPE)
endfunction()

function(_pallimer_cxx_string out text)
  string(REPLACE "\\" "\\\\" t "${text}")
  string(REPLACE "\"" "\\\"" t "${t}")
  set(${out} "\"${t}\"" PARENT_SCOPE)
endfunction()

function(pallimer_embed_resources target)
  set(entries)
  set(depends)
  set(mode "")
  set(pending "")
  foreach(arg ${ARGN})
    if(arg MATCHES "^(RCDATA|BITMAP|FORM|STRINGTABLE|DEPENDS)$")
      if(NOT pending STREQUAL "")
        message(FATAL_ERROR "pallimer_embed_resources: ${mode} ${pending} has no file")
      endif()
      set(mode "${arg}")
      continue()
    endif()
    if(mode STREQUAL "RCDATA" OR mode STREQUAL "BITMAP")
      if(pending STREQUAL "")
        set(pending "${arg}")
      else()
        get_filename_component(file "${arg}" ABSOLUTE)
        if(mode STREQUAL "RCDATA")
          list(APPEND entries "10|${pending}|${file}")
        else()
          list(APPEND entries "2|${pending}|${file}")
        endif()
        set(pending "")
      endif()
    elseif(mode STREQUAL "FORM")
      get_filename_component(dfm "${arg}" ABSOLUTE)
      # The resource name is the root object's class, read from the first line that
      # holds one; the text is read again whenever it changes.
      file(STRINGS "${dfm}" lines REGEX "^[ \t]*(object|inherited|inline)[ \t]" LIMIT_COUNT 1)
      if(NOT lines MATCHES "^[ \t]*(object|inherited|inline)[ \t]+([A-Za-z_][A-Za-z_0-9]*[ \t]*:[ \t]*)?([A-Za-z_][A-Za-z_0-9]*)")
        message(FATAL_ERROR "pallimer_embed_resources: ${dfm} starts with no object")
      endif()
      string(TOUPPER "${CMAKE_MATCH_3}" resname)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${dfm}")
      get_filename_component(stem "${dfm}" NAME_WE)
      set(bin "${CMAKE_CURRENT_BINARY_DIR}/${target}_forms/${stem}.bin")
      list(APPEND entries "10|${resname}|${bin}|FORM|${dfm}")
    elseif(mode STREQUAL "STRINGTABLE")
      get_filename_component(file "${arg}" ABSOLUTE)
      # Checked here so a bad line fails the build instead of vanishing at run time.
      file(READ "${file}" table)
      string(REGEX MATCH "(^|\n)[ \t]*([^0-9#; \t\r\n]|[0-9]+[^0-9 \t\r\n])[^\n]*" bad "${table}")
      if(bad)
        string(STRIP "${bad}" bad)
        message(FATAL_ERROR "pallimer_embed_resources: ${file}: line \"${bad}\" is not \"<number> <text>\"")
      endif()
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
      list(APPEND entries "6|#STRINGTABLE|${file}")
    elseif(mode STREQUAL "DEPENDS")
      get_filename_component(file "${arg}" ABSOLUTE)
      list(APPEND depends "${file}")
    else()
      message(FATAL_ERROR "pallimer_embed_resources: unexpected ${arg}")
    endif()
  endforeach()
  if(NOT pending STREQUAL "")
    message(FATAL_ERROR "pallimer_embed_resources: ${mode} ${pending} has no file")
  endif()

  # One generated source per call.
  get_property(calls TARGET ${target} PROPERTY PALLIMER_RESOURCE_CALLS)
  if(NOT calls)
    set(calls 0)
  endif()
  math(EXPR next "${calls} + 1")
  set_property(TARGET ${target} PROPERTY PALLIMER_RESOURCE_CALLS ${next})
  string(MAKE_C_IDENTIFIER "${target}_${calls}" id)
  set(src "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources_${calls}.cpp")

  set(asm "")
  set(decls "")
  set(regs "")
  set(inputs)
  set(n 0)
  foreach(e IN LISTS entries)
    string(REPLACE "|" ";" parts "${e}")
    list(GET parts 0 type)
    list(GET parts 1 name)
    list(GET parts 2 file)
    list(LENGTH parts len)
    if(len GREATER 3)
      list(GET parts 4 dfm)
      get_filename_component(bindir "${file}" DIRECTORY)
      add_custom_command(OUTPUT "${file}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${bindir}"
        COMMAND formc "${dfm}" -o "${file}"
        DEPENDS formc "${dfm}" ${depends}
        COMMENT "Compiling form ${dfm}"
        VERBATIM)
    endif()
    list(APPEND inputs "${file}")
    set(sym "pallimer_res_${id}_${n}")
    _pallimer_asm_path(apath "${file}")
    # A zero byte after each block keeps an empty file's symbols apart.
    string(APPEND asm "    \".balign 16\\n\"\n    \"${sym}:\\n\"\n    \".incbin \\\"${apath}\\\"\\n\"\n    \"${sym}_end:\\n\"\n    \".byte 0\\n\"\n")
    string(APPEND decls "extern \"C\" const unsigned char ${sym}[], ${sym}_end[];\n")
    _pallimer_cxx_string(cname "${name}")
    if(type STREQUAL "6")
      string(APPEND regs "        RegisterStringTable(${sym}, static_cast<size_t>(${sym}_end - ${sym}));\n")
    else()
      string(APPEND regs "        RegisterResource(${type}, ${cname}, ${sym}, static_cast<size_t>(${sym}_end - ${sym}));\n")
    endif()
    math(EXPR n "${n} + 1")
  endforeach()

  file(CONFIGURE OUTPUT "${src}" @ONLY CONTENT
"// Generated by pallimer_embed_resources for ${target}; do not edit.
#include <cstddef>

#include \"platform/classes/Resources.h\"

__asm__(
    \".pushsection .rodata\\n\"
${asm}    \".popsection\\n\");

${decls}
namespace {
struct Registrar {
    Registrar()
    {
${regs}    }
};
const Registrar registrar;
}  // namespace
")
  # The compiler does not see .incbin inputs; rebuild the source when they change.
  set_source_files_properties("${src}" PROPERTIES OBJECT_DEPENDS "${inputs}")
  target_sources(${target} PRIVATE "${src}")
  target_link_libraries(${target} PRIVATE pallimer_classes)
endfunction()
