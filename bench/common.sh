# Shared by the whole-process benchmark scripts; sourced, not run.

# Installs gnuplot, hyperfine, GNU time and python3 where missing: the
# benchmarks' tools, which the test setup does not install.
install_bench_tools() {
  local need=()
  command -v gnuplot >/dev/null || need+=(gnuplot-nox)
  [ -x /usr/bin/time ] || need+=(time)
  command -v hyperfine >/dev/null || need+=(hyperfine)
  command -v python3 >/dev/null || need+=(python3)
  [ ${#need[@]} -gt 0 ] || return 0
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${need[@]}" >/dev/null
}

# The largest pattern file, a slow powder scan of 2 columns x 524,288 rows
# (background near 10000 counts with noise and six sharp peaks, two-theta
# 5 .. 90, rows such as "12.3450<TAB>10234.56"), as max.pat, the same two
# columns as plain numbers for gnuplot as max.dat, and gnuplot's script for
# a 1920 x 1080 PNG of them as plot.gp; all in the current folder.
make_max_pattern() {
  awk 'BEGIN {
    srand(12345); n = 524288; split("20.86 26.64 36.54 50.14 59.96 68.14", peaks, " ")
    printf "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n"
    for (i = 0; i < n; i++) {
      t = 5 + i * 85 / n; c = 10000 + rand() * 300
      for (p in peaks) { d = (t - peaks[p]) / 0.05; c += 15000 * exp(-d * d) }
      printf "%.4f\t%.2f\r\n", t, c
    }
    printf "END\r\nX Display int vs tth\r\nX SetAxis bottom 5, 90\r\nX SetAxis left 0, 32000\r\n"
  }' > max.pat
  awk 'NR > 3 && /^[0-9]/' max.pat > max.dat
  printf "set terminal png size 1920,1080\nset output 'gnuplot.png'\nset xrange [5:90]\nset yrange [0:32000]\nplot 'max.dat' using 1:2 with lines notitle\n" > plot.gp
}
