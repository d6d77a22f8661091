# Exported .cube files judged by another program: for each case of lut_ffmpeg_cases, filterhost
# maps the frames through the real module and exports the settings' LUT, ffmpeg maps the same
# frames through that LUT (lut1d for a 1D table, lut3d for a luma target's 3D table), and the
# outputs are compared byte for byte. 1D tables must give every byte exactly; a 3D table's largest
# difference is printed (ctest -V shows it).
#
# Run on the build machine, since ffmpeg is a Linux program: the Windows programs go through the
# emulator (wine). Variables: EMULATOR, FILTERHOST, MODULE, CASES (lut_ffmpeg_cases), FFMPEG, WORK.

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(run_or_fail what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}): ${errors}")
  endif()
endfunction()

run_or_fail("making the cases" ${EMULATOR} "${CASES}" make "${WORK}")
file(STRINGS "${WORK}/cases.txt" cases)
set(number 0)
foreach(case IN LISTS cases)
  math(EXPR number "${number} + 1")
  string(FIND "${case}" "\t" tab)
  string(SUBSTRING "${case}" 0 ${tab} kind)
  math(EXPR tab "${tab} + 1")
  string(SUBSTRING "${case}" ${tab} -1 line)
  if(kind STREQUAL "1d")
    set(frames "${WORK}/levels.raw")
    set(size 256x4)
    set(filter lut1d)
  else()
    set(frames "${WORK}/colours.raw")
    set(size 256x256)
    set(filter lut3d)
  endif()
  set(stem "${WORK}/${number}")
  execute_process(
    COMMAND ${EMULATOR} "${FILTERHOST}" "${MODULE}" --script "${line}"
            --export-cube "${stem}.cube" --raw ${size}
    INPUT_FILE "${frames}" OUTPUT_FILE "${stem}.filterhost.raw"
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "filterhost failed on case ${number} (${line}): ${errors}")
  endif()
  run_or_fail("ffmpeg on case ${number}" "${FFMPEG}" -hide_banner -loglevel error -y
              -f rawvideo -pix_fmt bgr0 -s ${size} -i "${frames}"
              -vf "${filter}=file=${stem}.cube" -f rawvideo -pix_fmt bgr0 "${stem}.ffmpeg.raw")
endforeach()

execute_process(COMMAND ${EMULATOR} "${CASES}" compare "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE errors)
message("${report}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "filterhost and ffmpeg disagree on a 1D table")
endif()
file(REMOVE_RECURSE "${WORK}")
