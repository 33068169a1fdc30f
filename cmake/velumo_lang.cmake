# Velumo's language (.lng) and help (.hlf) files, written at build time from their UTF-8 sources
# in lang/ (the format is in lang/README.md) by velumo_lang_file.sh with the build host's iconv.
#
#   velumo_language_files(<target> <far1|far3> <output_dir>)
#
# writes VelumoEng.lng, VelumoRus.lng, VelumoEng.hlf and VelumoRus.hlf for that front end into
# <output_dir> (far1: each in its language's OEM code page; far3: UTF-8 with a byte order mark)
# and makes <target> build after them. They are written again when a source or the generator
# changes, and a source the generator rejects fails the build. Calls for the same <output_dir>
# share one set of rules (and must name the same front end).
include_guard(GLOBAL)

find_program(VELUMO_ICONV iconv REQUIRED)
find_program(VELUMO_SH sh REQUIRED)

function(velumo_language_files target frontend output_dir)
  # Kept in the function: a variable set beside include_guard would exist only in the directory
  # that included this file first, and the function may be called from any directory.
  # Each language: the files' stem and the OEM code page FAR 1.x reads them in.
  set(languages VelumoEng=CP437 VelumoRus=CP866)
  cmake_path(SET source_dir NORMALIZE "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../lang")
  set(generator "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/velumo_lang_file.sh")
  if(NOT frontend MATCHES "^far[13]$")
    message(FATAL_ERROR "velumo_language_files: front end '${frontend}' is neither far1 nor far3")
  endif()
  cmake_path(ABSOLUTE_PATH output_dir BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" NORMALIZE)
  string(MD5 key "${output_dir}")
  get_property(rules GLOBAL PROPERTY VELUMO_LANG_RULES_${key})
  if(rules)
    get_property(written_for GLOBAL PROPERTY VELUMO_LANG_FRONTEND_${key})
    if(NOT written_for STREQUAL frontend)
      message(FATAL_ERROR
        "velumo_language_files: ${output_dir} already gets the ${written_for} files")
    endif()
  else()
    set(outputs)
    foreach(language IN LISTS languages)
      string(REPLACE "=" ";" language "${language}")
      list(GET language 0 stem)
      list(GET language 1 code_page)
      foreach(kind lng hlf)
        set(source "${source_dir}/${stem}.${kind}.utf8")
        set(output "${output_dir}/${stem}.${kind}")
        add_custom_command(OUTPUT "${output}"
          COMMAND "${CMAKE_COMMAND}" -E make_directory "${output_dir}"
          COMMAND "${VELUMO_SH}" "${generator}" "${VELUMO_ICONV}" ${frontend}
            ${code_page} "${source}" "${output}"
          DEPENDS "${source}" "${generator}"
          COMMENT "Writing the ${frontend} ${stem}.${kind}"
          VERBATIM)
        list(APPEND outputs "${output}")
      endforeach()
    endforeach()
    set(rules velumo_lang_${frontend})
    if(TARGET ${rules})
      string(SUBSTRING "${key}" 0 8 suffix)
      set(rules ${rules}_${suffix})
    endif()
    add_custom_target(${rules} DEPENDS ${outputs})
    set_property(GLOBAL PROPERTY VELUMO_LANG_RULES_${key} ${rules})
    set_property(GLOBAL PROPERTY VELUMO_LANG_FRONTEND_${key} ${frontend})
  endif()
  add_dependencies(${target} ${rules})
endfunction()
