#!/usr/bin/env bash
# The library as another project uses it. One step per call:
#   install BUILD WORK         cmake --install into the empty prefix WORK/prefix
#   find-package SOURCE WORK   a C project with find_package(cpuninst)
#   pkg-config SOURCE WORK     a C program built with pkg-config and cc
#   add-subdirectory SOURCE WORK   a C project that add_subdirectory's SOURCE
# Each built program reads a key from a CR LF profile and must print it.
set -euo pipefail
step=$1 tree=$2 work=$3
prefix=$work/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a built read_key on a sample profile and checks what it prints.
check_reads() {
  local program=$1 sample=$work/$step-sample.ini
  printf '[card]\r\nPort = 220\r\nIrq=5\r\n' >"$sample"
  [[ $("$program" "$sample" card irq) == 5 ]] || fail "$program does not read Irq=5"
  [[ $("$program" "$sample" card Port) == "= 220" ]] || fail "$program reads Port wrongly"
  if "$program" "$sample" card dma; then fail "$program found a key that is not there"; fi
  echo "$step: $program reads the sample"
}

configure_and_build() {  # source-folder build-folder [cmake options]
  local source=$1 build=$2
  shift 2
  rm -rf "$build"
  cmake -S "$source" -B "$build" -G Ninja "$@" >"$build.log" 2>&1 ||
    { cat "$build.log"; fail "configuring $source"; }
  cmake --build "$build" -j2 >>"$build.log" 2>&1 || { cat "$build.log"; fail "building $source"; }
}

case $step in
  install)
    rm -rf "$prefix"
    mkdir -p "$work"
    cmake --install "$tree" --prefix "$prefix" >/dev/null
    expected="bin/cpuninst
bin/profctl
include/profile/profile.h
lib/cmake/cpuninst/cpuninstConfig.cmake
lib/cmake/cpuninst/cpuninstConfigVersion.cmake
lib/cmake/cpuninst/cpuninstTargets-CONFIG.cmake
lib/cmake/cpuninst/cpuninstTargets.cmake
lib/libcpuninst-platform.a
lib/libcpuninst-profile.a
lib/pkgconfig/cpuninst-profile.pc
share/bash-completion/completions/profctl
share/man/man1/cpuninst.1
share/man/man1/profctl.1"
    got=$(cd "$prefix" && find . -type f | sed 's|^\./||; s|cpuninstTargets-.*\.cmake|cpuninstTargets-CONFIG.cmake|' | LC_ALL=C sort)
    [[ $got == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$got"))"
    "$prefix/bin/profctl" --version | grep -qx 'profctl [0-9]*\.[0-9]*\.[0-9]*' ||
      fail "the installed profctl does not run"
    echo "install: $(echo "$got" | wc -l) files in $prefix"
    ;;
  find-package)
    build=$work/find-package
    configure_and_build "$tree/tests/install/consumer" "$build" -DCMAKE_PREFIX_PATH="$prefix"
    check_reads "$build/read_key"
    # The version file: another major version is not this package.
    if cmake -S "$tree/tests/install/consumer" -B "$work/wrong-version" -G Ninja \
         -DCMAKE_PREFIX_PATH="$prefix" -DCPUNINST_WANTED=2.0 >/dev/null 2>&1; then
      fail "find_package(cpuninst 2.0) accepted version 1"
    fi
    ;;
  pkg-config)
    # From a moved copy of the prefix: the .pc file finds it from where it lies.
    moved=$work/moved-prefix
    rm -rf "$moved" && cp -a "$prefix" "$moved"
    export PKG_CONFIG_PATH=$moved/lib/pkgconfig
    flags=$(pkg-config --cflags --libs cpuninst-profile) || fail "pkg-config does not know cpuninst-profile"
    [[ $(pkg-config --modversion cpuninst-profile) == [0-9]*.[0-9]*.[0-9]* ]] || fail "no version"
    # shellcheck disable=SC2086
    cc -std=c99 -Wall -Wextra -pedantic -Werror -o "$work/read_key-pc" \
      "$tree/tests/install/consumer/read_key.c" $flags || fail "cc with pkg-config flags: $flags"
    check_reads "$work/read_key-pc"
    ;;
  add-subdirectory)
    # GoogleTest made unavailable: the library alone must need none of it.
    build=$work/add-subdirectory
    configure_and_build "$tree/tests/install/subproject" "$build" -DCPUNINST_SOURCE="$tree" \
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
    check_reads "$build/read_key"
    targets=$(cmake --build "$build" --target help)
    for unwanted in profctl cpuninst profile_tests profctl_tests platform_tests uninstall_tests \
                    profile_bench install; do
      if grep -qE "^$unwanted(:|$)" <<<"$targets"; then fail "add_subdirectory made the target $unwanted"; fi
    done
    (cd "$build" && ctest -N) | grep -qx 'Total Tests: 0' || fail "add_subdirectory added tests"
    echo "add-subdirectory: only the library and read_key were built"
    ;;
  *) fail "unknown step $step" ;;
esac
