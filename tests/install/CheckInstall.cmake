# Installs the build into a scratch folder and checks the installed layout: the program with
# its samples beside it, the link in bin, the desktop entry for vCard files, the icon, the
# metainfo, the manual page, the bash completion and the copyright.
# Run by CTest: cmake -DBUILD_DIR=... -DSCRATCH=... -P CheckInstall.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(
    COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${SCRATCH}/usr"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(window_module)
if(WINDOW_MODULE)
    set(window_module usr/lib/orvandel/modules/orvandel-window.so)
endif()
foreach(path
        usr/lib/orvandel/orvandel
        ${window_module}
        usr/lib/orvandel/Samples/ada-lindqvist.vcf
        usr/lib/orvandel/Samples/harbor-team.vcf
        usr/share/applications/orvandel.desktop
        usr/share/icons/hicolor/256x256/apps/orvandel.png
        usr/share/metainfo/example.quorvane.orvandel.metainfo.xml
        usr/share/man/man1/orvandel.1.gz
        usr/share/bash-completion/completions/orvandel
        usr/share/doc/orvandel/copyright
        usr/share/doc/orvandel/changelog.gz)
    if(NOT EXISTS "${SCRATCH}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

if(NOT IS_SYMLINK "${SCRATCH}/usr/bin/orvandel")
    message(FATAL_ERROR "bin/orvandel is not a link to the program")
endif()
execute_process(COMMAND "${SCRATCH}/usr/bin/orvandel" --version OUTPUT_VARIABLE version RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT version MATCHES "^orvandel ")
    message(FATAL_ERROR "the installed program does not start: ${result} ${version}")
endif()

file(READ "${SCRATCH}/usr/share/applications/orvandel.desktop" entry)
foreach(line "Exec=orvandel %F" "MimeType=text/vcard;text/x-vcard;" "Icon=orvandel" "Actions=thorough;"
        "Exec=orvandel --thorough %F")
    string(FIND "${entry}" "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop entry lacks: ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
