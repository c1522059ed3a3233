# Phase "sqlite" of scripts/windows.sh (sourced): SQLite from Debian's sqlite3 source. The
# amalgamation (sqlite3.c) is generated on the host (Debian's configure, make sqlite3.c: tclsh and
# the host compiler), then cross-compiled into sqlite3.dll with its import library, the headers
# and a pkg-config file in the cache's prefix/ (a layout CMake's FindSQLite3 finds too). The
# compile options are Debian's own (debian/rules).

win_sqlite_flags=(
  -O2 -fno-strict-aliasing
  -DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA
  -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS
  -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1
  -DSQLITE_ENABLE_UNLOCK_NOTIFY
  -DSQLITE_OMIT_LOOKASIDE=1 -DSQLITE_ENABLE_DBSTAT_VTAB
  -DSQLITE_ALLOW_ROWID_IN_VIEW
  -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1
  -DSQLITE_ENABLE_LOAD_EXTENSION
  -DSQLITE_ENABLE_JSON1
  -DSQLITE_LIKE_DOESNT_MATCH_BLOBS
  -DSQLITE_THREADSAFE=1
  -DSQLITE_ENABLE_FTS3_TOKENIZER=1
  -DSQLITE_USE_URI=1
  -DSQLITE_MAX_SCHEMA_RETRY=25
  -DSQLITE_ENABLE_PREUPDATE_HOOK
  -DSQLITE_ENABLE_SESSION
  -DSQLITE_ENABLE_STMTVTAB
  -DSQLITE_MAX_VARIABLE_NUMBER=250000
)

win_phase_sqlite() {
  local phase=sqlite src build=$win_build/sqlite version cc=x86_64-w64-mingw32-gcc-posix
  win_done "$phase" && return 0
  win_begin "$phase" "building SQLite for Windows into $win_prefix/"
  win_fetch_source "$phase" "$win_sqlite_source"
  src=$(win_source_dir "$win_sqlite_source")
  version=$(<"$src/VERSION")
  rm -rf "$build"
  mkdir -p "$build" "$win_prefix/bin" "$win_prefix/lib/pkgconfig" "$win_prefix/include"
  win_run "$phase" "[1/4] configure the amalgamation's generator (host)" \
    bash -c 'cd "$1" && "$2/configure" --disable-tcl' _ "$build" "$src"
  win_run "$phase" "[2/4] generate the amalgamation (sqlite3.c)" \
    make -C "$build" -j "$win_jobs" sqlite3.c
  win_run "$phase" "[3/4] compile sqlite3.dll" \
    "$cc" "${win_sqlite_flags[@]}" -shared -I"$build" "$build/sqlite3.c" \
    -o "$win_prefix/bin/sqlite3.dll" -Wl,--out-implib,"$win_prefix/lib/libsqlite3.dll.a"
  cp "$build/sqlite3.h" "$src/src/sqlite3ext.h" "$win_prefix/include/"
  win_say "$phase" "[4/4] pkg-config file"
  cat >"$win_prefix/lib/pkgconfig/sqlite3.pc" <<PC
prefix=\${pcfiledir}/../..
exec_prefix=\${prefix}
libdir=\${exec_prefix}/lib
includedir=\${prefix}/include

Name: SQLite
Description: SQL database engine (Debian's sqlite3 source, built for Windows)
Version: $version
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
PC
  win_stamp "$phase"
}
