# Sourced by the build scripts: sets `launcher` to the CMake arguments that
# compile through ccache where it is installed (empty otherwise), with the
# settings every tree shares.
# Paths are hashed relative to the tree, so another clone of the same commit
# (CI's, a second work tree) reuses what an earlier build compiled. The
# precompiled Qt headers are cached too (pch_defines, time_macros and the
# include files' times, which a freshly made header always has). Depend mode
# takes the compiler's own dependency list instead of running the
# preprocessor once more for every source that is not cached yet.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
  export CCACHE_DEPEND=${CCACHE_DEPEND:-1}
fi
