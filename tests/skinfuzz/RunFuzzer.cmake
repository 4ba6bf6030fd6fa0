# Runs the fuzzer for SECONDS on a fresh copy of the seed theme files; fails on any crash, hang,
# leak or sanitizer report (libFuzzer then exits non-zero).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB seeds ${SEEDS}/*.skn)
list(LENGTH seeds count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected the four generated theme files in ${SEEDS}, found ${count}")
endif()
file(COPY ${seeds} DESTINATION ${WORK})
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=131072
          -artifact_prefix=${WORK}/../ ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the theme reader fuzzer reported a problem (exit ${result}); see the artifact in ${WORK}/..")
endif()
