# Run by ctest: assembles boot.asm (with the files it includes), runs the
# generator into a fresh folder and compares every file it writes with the
# committed copy in data/.
foreach(var PASMO GENERATOR BOOT_SOURCE WORK_DIR DATA_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "reproduce.cmake needs -D ${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/out")

get_filename_component(boot_dir "${BOOT_SOURCE}" DIRECTORY)
execute_process(COMMAND "${PASMO}" -I "${boot_dir}" --bin "${BOOT_SOURCE}" "${WORK_DIR}/boot.bin"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pasmo failed (${rc})")
endif()

execute_process(COMMAND "${GENERATOR}" "${WORK_DIR}/boot.bin" "${WORK_DIR}/out"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "zelquor-sampledata failed (${rc})")
endif()

set(files Snap.sna ABOUTSCREEN.bmp EnemyMasks.inc)
foreach(n RANGE 16)
  list(APPEND files "B${n}.bmp")
endforeach()

file(GLOB written RELATIVE "${WORK_DIR}/out" "${WORK_DIR}/out/*")
list(LENGTH written written_count)
list(LENGTH files expected_count)
if(NOT written_count EQUAL expected_count)
  message(FATAL_ERROR "generator wrote ${written_count} files, expected ${expected_count}: ${written}")
endif()

set(differing "")
foreach(f IN LISTS files)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK_DIR}/out/${f}" "${DATA_DIR}/${f}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(APPEND differing "${f}")
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "committed data differs from the generator's output: ${differing}\n"
                      "Regenerate with: cmake --build <build> --target sampledata")
endif()
message(STATUS "all ${expected_count} data files reproduced byte for byte")
