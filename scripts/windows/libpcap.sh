# Phase "libpcap" of scripts/windows.sh (sourced): from Debian's libpcap source, the public headers
# (pcap.h, pcap/) into the cache's prefix/include, which is how a Windows build declares Npcap's
# wpcap.dll; and libpcap built for MinGW without any capture mechanism (pcap type "null": it
# reads capture files, lists no adapters), named wpcap.dll, installed apart in the cache's
# wpcap-null/ so that nothing links it by chance: a stand-in for Npcap's wpcap.dll in tests.

win_phase_libpcap() {
  local phase=libpcap src build=$win_build/libpcap stand_in=$win_cache/wpcap-null
  win_done "$phase" && return 0
  win_begin "$phase" "libpcap's headers into $win_prefix/include, a capture-less wpcap.dll into $stand_in/"
  win_fetch_source "$phase" "$win_libpcap_source"
  src=$(win_source_dir "$win_libpcap_source")
  win_say "$phase" "[1/3] headers"
  mkdir -p "$win_prefix/include/pcap"
  cp "$src/pcap.h" "$src/pcap-bpf.h" "$src/pcap-namedb.h" "$win_prefix/include/"
  cp "$src"/pcap/*.h "$win_prefix/include/pcap/"
  rm -rf "$build"
  mkdir -p "$build"
  # From inside the build folder: libpcap's configure has flex write to the Windows null device's
  # name ("NUL:"), a plain file in the current folder on Linux.
  (cd "$build" && win_run "$phase" "[2/3] configure wpcap.dll without capture (cmake)" \
    cmake -S "$src" -B "$build" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stand_in" -DLIBRARY_NAME=wpcap \
    -DPCAP_TYPE=null -DENABLE_REMOTE=OFF -DDISABLE_DBUS=ON -DDISABLE_RDMA=ON -DDISABLE_DPDK=ON \
    -DBUILD_SHARED_LIBS=ON -DUSE_STATIC_RT=OFF)
  win_build "$phase" "$build" wpcap wpcap_static
  win_run "$phase" "[3/3] install into $stand_in/" cmake --install "$build"
  win_stamp "$phase"
}
