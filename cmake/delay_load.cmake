# vornic_delay_load(TARGET DLL_NAME LIBRARY)
# Links TARGET against a delay-import library for the system DLL, so that the DLL is loaded on the
# first call into it instead of at process start. The launcher needs user32 only to show something;
# a plain launch that shows nothing never pays for loading and starting it.
function(vornic_delay_load target dll library)
  set(import_library "${CMAKE_FIND_ROOT_PATH}/lib/lib${library}.a")
  string(REGEX REPLACE "-g\\+\\+(-posix)?$" "" tool_prefix "${CMAKE_CXX_COMPILER}")
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${library}_delay.def")
  set(delay_library "${CMAKE_CURRENT_BINARY_DIR}/lib${library}_delay.a")
  # The exports are the import library's own symbols; x86 names carry the stdcall decoration, which
  # dlltool -k keeps for linking and strips from the name looked up in the DLL.
  add_custom_command(
    OUTPUT ${delay_library}
    COMMAND sh -c "${tool_prefix}-nm -g --defined-only '${import_library}' | awk '$2 == \"T\" { name = $3; if (name ~ /@[0-9]+$/) sub(/^_/, \"\", name); print name }' | sort -u | { echo 'LIBRARY ${dll}'; echo EXPORTS; cat; } > '${def}'"
    COMMAND ${tool_prefix}-dlltool -k -d ${def} -D ${dll} -y ${delay_library}
    DEPENDS ${import_library}
    COMMENT "Delay-import library for ${dll}"
    VERBATIM)
  add_custom_target(${target}_${library}_delay DEPENDS ${delay_library})
  add_dependencies(${target} ${target}_${library}_delay)
  # Before the toolchain's own -l${library}, so that every reference resolves to the delayed import.
  target_link_libraries(${target} PRIVATE ${delay_library} delayimp)
endfunction()
