# Sourced by the scripts: the two target architectures and the Wine loader each runs under.
# i686 is the product's own (a 32-bit program); x86_64 builds the library, its tests and the
# benchmarks for 64-bit Windows, and is what runs where the kernel cannot execute 32-bit programs.

ss_arches="i686 x86_64"

# Fails with a message for a name that is not an architecture.
ss_check_arch() {
  case "$1" in
    i686|x86_64) ;;
    *) echo "unknown architecture '$1' (expected: $ss_arches)" >&2; return 1 ;;
  esac
}

# The Wine loader of an architecture. The `wine` wrapper picks the 32-bit loader whenever that
# file exists, even where it cannot run, so each build starts its own loader directly.
ss_wine_loader() {
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

# The default build folder of an architecture.
ss_build_dir() { echo "$2/build/$1"; }

# Whether this machine runs programs of an architecture under Wine: the loader is really
# started, since a 32-bit loader that exists may still end in "Exec format error".
# On failure the reason is left in ss_cannot_run.
ss_can_run() {
  local loader out
  loader=$(ss_wine_loader "$1")
  if [ ! -x "$loader" ]; then
    ss_cannot_run="$loader is not installed"
    return 1
  fi
  if ! out=$("$loader" --version 2>&1); then
    ss_cannot_run="$loader --version failed: $(printf '%s' "$out" | tail -n1)"
    return 1
  fi
  return 0
}

# The architecture a program is started with: the product's 32-bit one where it runs, else
# 64-bit. Says which on standard error.
ss_run_arch() {
  if ss_can_run i686; then
    echo i686
  else
    echo "this machine cannot run 32-bit programs ($ss_cannot_run): starting the 64-bit build" >&2
    echo x86_64
  fi
}
