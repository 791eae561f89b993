# Checks a program as it ships: stripped, it is at most LIMIT bytes (when a limit is given), its
# import tables name only DLLs that Windows always loads from its own folder, and its manifest asks
# Windows for what the program needs.
#   cmake -DPROGRAM=<exe> [-DLIMIT=<bytes>] -DOBJDUMP=<objdump> -DSTRIP=<strip> -DWORK=<folder>
#         -P check_release.cmake
cmake_minimum_required(VERSION 3.25)

# States what is wrong on one line (a fatal error's text is wrapped), then fails.
function(refuse text)
    message(NOTICE "${text}")
    message(FATAL_ERROR "${PROGRAM} does not pass the release check")
endfunction()

foreach(variable IN ITEMS PROGRAM OBJDUMP STRIP WORK)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "check_release.cmake: give -D${variable}=...")
    endif()
endforeach()
if(NOT EXISTS "${PROGRAM}")
    message(FATAL_ERROR "${PROGRAM} does not exist")
endif()
get_filename_component(name "${PROGRAM}" NAME)

# The size that ships: a stripped copy. The build strips the program itself, so the copy must not
# be any smaller than the program as built.
file(MAKE_DIRECTORY "${WORK}")
set(stripped "${WORK}/${name}.${LIMIT}.stripped")  # apart from a parallel check's copy
execute_process(COMMAND "${STRIP}" -o "${stripped}" "${PROGRAM}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    refuse("${STRIP} failed on ${PROGRAM}")
endif()
file(SIZE "${PROGRAM}" built_size)
file(SIZE "${stripped}" size)
file(REMOVE "${stripped}")
if(DEFINED LIMIT AND size GREATER LIMIT)
    refuse("${name} is ${size} bytes stripped, over the limit of ${LIMIT} bytes")
endif()
if(built_size GREATER size)
    refuse("${name} is not stripped as built: ${built_size} bytes, ${size} stripped")
endif()

# DLLs that Windows always loads from the system folder: any other (version.dll, ...) would be
# looked for beside the program first, and must be loaded on demand from the system folder.
set(system_dlls KERNEL32 USER32 GDI32 MSVCRT ADVAPI32)
# Every DLL of the import tables (plain and delay-loaded), compared without regard to case.
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    refuse("${OBJDUMP} -p failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
if(NOT lines)
    refuse("${OBJDUMP} lists no imported DLL for ${name}: its output was not understood")
endif()
set(imports "")
set(foreign "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" key)
    string(REGEX REPLACE "\\.DLL$" "" key "${key}")
    list(APPEND imports "${dll}")
    if(NOT key IN_LIST system_dlls)
        list(APPEND foreign "${dll}")
    endif()
endforeach()
list(JOIN imports ", " imports)
if(foreign)
    list(JOIN foreign ", " foreign)
    refuse("${name} imports DLLs outside the allow-list: ${foreign} (all: ${imports})")
endif()
# The manifest, found as text among the program's bytes. Its identity and version 6 of the common
# controls; the rights of whoever starts it (without a requested level Windows virtualises a
# standard user's writes under Program Files); the systems that it knows, Windows 7 to 11; plain
# paths of any length; and drawing at each monitor's DPI, or the system's where per-monitor v2 is
# unknown (unaware, the dialog is drawn at 96 DPI and stretched).
file(STRINGS "${PROGRAM}" text)
string(REPLACE ";" " " text "${text}")  # not list(JOIN): a '[' in the bytes would hold lines together
string(FIND "${text}" "<assembly " begin)
string(FIND "${text}" "</assembly>" end)
if(begin EQUAL -1 OR end LESS begin)
    refuse("${name} holds no manifest")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${text}" ${begin} ${length} manifest)
string(REGEX REPLACE "[ \t]+" " " manifest "${manifest}")
set(entries
    "<assemblyIdentity[^>]* name=\"WindowsShell\""
    "<assemblyIdentity[^>]* name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""
    "<requestedExecutionLevel level=\"asInvoker\""
    "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\""
    "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\""
    "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\""
    "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\""
    "<longPathAware [^>]*>true</longPathAware>"
    "<dpiAware [^>]*>true</dpiAware>"
    "<dpiAwareness [^>]*>PerMonitorV2, System</dpiAwareness>")
set(missing "")
foreach(entry IN LISTS entries)
    if(NOT manifest MATCHES "${entry}")
        list(APPEND missing "${entry}")
    endif()
endforeach()
if(missing)
    list(JOIN missing " | " missing)
    refuse("${name}'s manifest lacks: ${missing}")
endif()

if(DEFINED LIMIT)
    set(size "${size} bytes stripped (limit ${LIMIT})")
else()
    set(size "${size} bytes stripped")
endif()
message(STATUS "${name}: ${size}; imports ${imports}; its manifest asks for all it needs")
