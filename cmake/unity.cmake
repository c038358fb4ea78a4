# Unity builds for the test command's sanitizer trees (NPS_UNITY): each
# target's sources compiled in batches of 16 files, one translation unit a
# batch. Qt's inline code is then compiled and instrumented once a batch
# instead of once a file, which takes about a quarter off a cold build. The release
# and package trees compile file by file, so each source must still include
# what it uses; sources that cannot share a unit set
# SKIP_UNITY_BUILD_INCLUSION.
if(NPS_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)
endif()

# nps_apply_unity(): a batch includes .cpp files, which is what
# bugprone-suspicious-include warns of; clang-tidy, run on the batches, is told
# that these includes are meant. Called once, after every folder was read.
function(nps_apply_unity)
  if(NOT NPS_UNITY)
    return()
  endif()
  nps_compiled_targets(targets)
  set_target_properties(${targets} PROPERTIES
    UNITY_BUILD_CODE_BEFORE_INCLUDE "// NOLINTNEXTLINE(bugprone-suspicious-include)")
endfunction()
