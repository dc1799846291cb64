# Shared by the demo, the test run and the benchmark: installs what the
# build needs on Debian and builds with the CMake presets (build/ with
# MinGW-w64 GCC, build-clang/ with clang).

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$repo/build"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# What the program, the stand-in and the demo need.
demo_packages=(wine wine64 g++-mingw-w64-x86-64 cmake ninja-build)
# And the tests: GoogleTest, the clang build (llvm-14 has llvm-windres, its
# resource compiler), the format check, and a JSON parser to read back the
# program's JSON lines.
test_packages=("${demo_packages[@]}" googletest clang lld llvm-14 clang-format nlohmann-json3-dev)
# The reproducibility check, the signing test and the installers' tests:
# git for the clean copies, zip to make the release zip the same every time,
# osslsigncode and openssl to sign and verify, unzip to compare zips, wixl
# and nsis to build the installers.
test_packages+=(git zip osslsigncode openssl unzip wixl nsis)
# A release: the program's build, the check and the signing.
release_packages=("${demo_packages[@]}" git zip osslsigncode openssl unzip)

# Installs those of the packages given (all the tests need, by default) that
# are missing.
install_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${test_packages[@]}")
  local missing=()
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    "${missing[@]}" >/dev/null
}

# Whether a changelog in the "Keep a Changelog" form has a section for the
# version: a heading "## [<version>]", its date after it.
changelog_has_section() {
  local changelog="$1" version="$2"
  grep -qE "^## \[${version//./\\.}\]( |\$)" "$changelog"
}

# The project's version in a CMakeLists.txt's text on standard input.
project_version() {
  sed -nE 's/^project\(uninstall_addin VERSION ([0-9.]+).*/\1/p' | head -1
}

binary_dir() {
  case "$1" in
  gcc) echo "$repo/build" ;;
  clang) echo "$repo/build-clang" ;;
  host) echo "$repo/build-host" ;;
  esac
}

# Configures one preset, with warnings as errors: gcc, clang, or host (the
# pure units, natively).
configure_preset() {
  local preset="$1" dir
  dir="$(binary_dir "$preset")"
  # A tree from before the presets was made by another generator.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
    echo "Removing $dir, made with another CMake generator"
    rm -rf "$dir"
  fi
  (cd "$repo" && cmake --preset "$preset" -DUNINSTALL_ADDIN_WERROR=ON >/dev/null)
}

# Configures and builds one preset.
build_preset() {
  configure_preset "$1"
  (cd "$repo" && cmake --build --preset "$1")
}

# Configures one preset and builds only the targets given.
build_targets() {
  local preset="$1"
  shift
  configure_preset "$preset"
  (cd "$repo" && cmake --build --preset "$preset" --target "$@")
}

# Builds one preset's tree, configuring it only the first time.
build_if_needed() {
  local preset="$1" dir
  dir="$(binary_dir "$preset")"
  if [ -f "$dir/build.ninja" ]; then
    cmake --build "$dir"
  else
    build_preset "$preset"
  fi
}

build_all() {
  build_preset host
  build_preset gcc
  build_preset clang
}

# "pid command line" of each process that runs in the Wine prefix $1, found
# by the environment Wine hands down to all of them.
prefix_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid="${environ#/proc/}"
    pid="${pid%/environ}"
    if tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "WINEPREFIX=$1"; then
      echo "$pid $(tr '\0' ' ' 2>/dev/null </proc/"$pid"/cmdline)"
    fi
  done
  return 0
}
