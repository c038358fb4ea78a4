# Sourced by the build scripts with the tree's folder in `dir`: sets
# `launcher` to the CMake arguments that say whether the tree compiles through
# ccache, with the settings every tree shares.
#
# A tree keeps the choice made when it was first configured (changing it
# would compile the whole tree again). A new tree compiles through ccache
# where ccache is installed and its cache holds something already (another
# clone or work tree of this project filled it), or NPS_CCACHE=1 asks for it;
# NPS_CCACHE=0 never. On a fresh machine the cache is empty and would only
# cost: every source that misses it hashes its precompiled headers (some
# 200 MB) and is written into it, a third more time for a cold build.
#
# Paths are hashed relative to the tree, so another clone of the same commit
# (a second work tree) reuses what an earlier build compiled. The
# precompiled Qt headers are cached too (pch_defines, time_macros and the
# include files' times, which a freshly made header always has). Depend mode
# takes the compiler's own dependency list instead of running the
# preprocessor once more for every source that is not cached yet.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
  export CCACHE_DEPEND=${CCACHE_DEPEND:-1}
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    use_ccache=${NPS_CCACHE:-}
    if [ -z "$use_ccache" ]; then
      use_ccache=0
      cache_dir=$(ccache --get-config cache_dir 2>/dev/null || true)
      if [ -n "$cache_dir" ] && [ -n "$(find "$cache_dir" -name '*R' -print -quit 2>/dev/null)" ]; then
        use_ccache=1
      fi
    fi
    if [ "$use_ccache" = 1 ]; then
      launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
  fi
fi
