# The launcher's start-up footprint: the DLLs it imports (each one is loaded at every start, before
# any of its code runs) and its size. The shell, COM and common-controls libraries are loaded only
# when the runtime dialog needs them; GDI is imported by USER32 anyway.
# SUBSYSTEM is GUI for vornicw.exe and CUI for the console launcher vornicwc.exe.
#   cmake -DOBJDUMP=... -DLAUNCHER=.../vornicw.exe -DSUBSYSTEM=GUI -P launcher_footprint.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed ADVAPI32.dll GDI32.dll KERNEL32.dll msvcrt.dll USER32.dll)
# 240 KiB, for each launcher of either width. The x64 launcher was about 246 KB with its guarded
# hand-overs, the service mode, the DPI choice, its texts and dialogs per language, a class data
# sharing archive and the library jvm.dll misses; one copy of the string code per program, no type
# information and the shortest instruction forms (CMakeLists.txt) brought it to about 210 KB. The
# runtime download (WinHTTP loaded when needed, an inflate decoder of its own, the task dialog's
# progress) and then updates and restarts (the manifest, the journal and its moves, the stage check,
# the trial, the hand-on to a new process) took it to 302.5 KB (x86: 277 KB; the console launchers
# 288 KB and 264.5 KB); link-time optimisation (src/CMakeLists.txt) to 240 KB (x86: 227 KB; console
# 228 KB and 216 KB).
set(max_bytes 245760)

execute_process(COMMAND ${OBJDUMP} -p ${LAUNCHER} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${LAUNCHER}")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+[0-9a-fA-F]+[ \t]+\\(Windows ${SUBSYSTEM}\\)")
  message(SEND_ERROR "${LAUNCHER} is not a Windows ${SUBSYSTEM} program")
endif()
# The header flags every program of the system's own linker carries: address-space layout
# randomisation, no execution from data pages, and terminal-server awareness; a 64-bit program also
# takes the whole 64-bit address space for that randomisation.
set(flags DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE)
if(headers MATCHES "Magic[ \t]+020b")
  list(APPEND flags HIGH_ENTROPY_VA)
endif()
string(REGEX MATCH "DllCharacteristics[ \t]+[0-9a-fA-F]+\n(\t+[A-Z_]+\n)*" characteristics "${headers}")
if(NOT characteristics)
  message(SEND_ERROR "${LAUNCHER} shows no DllCharacteristics")
endif()
foreach(flag IN LISTS flags)
  if(NOT characteristics MATCHES "\t${flag}\n")
    message(SEND_ERROR "${LAUNCHER} lacks the header flag ${flag}: ${characteristics}")
  endif()
endforeach()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${headers}")
if(NOT lines)
  message(FATAL_ERROR "no import found in ${LAUNCHER}")
endif()
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" name "${line}")
  if(NOT name IN_LIST allowed)
    message(SEND_ERROR "the launcher imports ${name}: load it when it is first needed instead")
  endif()
endforeach()

file(SIZE ${LAUNCHER} bytes)
if(bytes GREATER_EQUAL max_bytes)
  message(SEND_ERROR "the launcher has ${bytes} bytes; it must stay under ${max_bytes}")
endif()
message(STATUS "${bytes} bytes; ${lines}")
