#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time on top of its
# regression inputs, its own seeds and movies of the corpus. Prints per target
# the seconds run and the executions made, and exits non-zero on any finding.
#
#   bash scripts/fuzz.sh [TARGET...]   (default: every target)
#
#   VIDORAMA_FUZZ_SECONDS  seconds per target (default 40)
#   VIDORAMA_CORPUS_DIR    the corpus of movies (default ../shared/corpus)
#
# A finding is kept in build-fuzz/fuzz-findings/; once fixed, it belongs in
# tests/fuzz-regressions/<target>/, where the fuzz regression test replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seconds=${VIDORAMA_FUZZ_SECONDS:-40}
corpus=${VIDORAMA_CORPUS_DIR:-$root/../shared/corpus}
targets=(swf_reader swf_player movie_probe spool_reader settings_file avm1_actions abc_reader
    abc_interpreter)
[ $# -gt 0 ] && targets=("$@")
# Movies larger than this are left out of the seeds: they slow every run and
# add little that the small ones do not reach.
max_movie_seed=65536

# -Wno-unknown-warning-option: the project's warning set names GCC's
# -Wshadow=local, which clang does not know.
flags="-fsanitize=fuzzer-no-link -Wno-unknown-warning-option"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIDORAMA_FUZZ=ON -DVIDORAMA_WERROR=ON \
    -DVIDORAMA_SANITIZE=ON -DVIDORAMA_BENCHMARKS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target vidorama_fuzz_targets

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$build/fuzz-findings
mkdir -p "$findings"

# Seeds for the movie readers: the corpus's movies as they are, and
# uncompressed copies of the zlib ones, so that mutations reach the tag
# parsers instead of breaking the compressed stream.
movie_seeds=$work/movie-seeds
mkdir -p "$movie_seeds"
if [ -d "$corpus" ]; then
    n=0
    while IFS= read -r -d '' movie; do
        n=$((n + 1))
        cp "$movie" "$movie_seeds/movie-$n.swf"
        if [ "$(head -c 3 "$movie")" = CWS ]; then
            perl -MIO::Uncompress::Inflate=inflate -e '
                open(my $in, "<:raw", $ARGV[0]) or exit 1;
                local $/; my $file = <$in>;
                my $body = substr($file, 8);
                inflate(\$body => \my $plain) or exit 1;
                open(my $out, ">:raw", $ARGV[1]) or exit 1;
                print $out "FWS" . substr($file, 3, 5) . $plain;
            ' "$movie" "$movie_seeds/movie-$n-plain.swf" || true
        fi
    done < <(find "$corpus" -name '*.swf' -size -"$max_movie_seed"c -print0 | sort -z)
else
    echo "fuzz.sh: no corpus at $corpus; fuzzing without movie seeds" >&2
fi

# Seeds for the ActionScript 3 targets: the DoABC blocks of the uncompressed
# movie seeds.
abc_seeds=$work/abc-seeds
mkdir -p "$abc_seeds"
for movie in "$movie_seeds"/*.swf; do
    [ -e "$movie" ] || continue
    perl -e '
        open(my $in, "<:raw", $ARGV[0]) or exit 0;
        local $/; my $file = <$in>;
        exit 0 unless substr($file, 0, 3) eq "FWS";
        my $bits = ord(substr($file, 8, 1)) >> 3;
        my $pos = 8 + int((5 + 4 * $bits + 7) / 8) + 4;
        my $n = 0;
        while ($pos + 2 <= length($file)) {
            my $header = unpack("v", substr($file, $pos, 2)); $pos += 2;
            my ($code, $len) = ($header >> 6, $header & 0x3f);
            if ($len == 0x3f) { $len = unpack("V", substr($file, $pos, 4)); $pos += 4; }
            last if $code == 0 || $pos + $len > length($file);
            if ($code == 82) {
                my $body = substr($file, $pos + 4, $len - 4);
                $body =~ s/^[^\0]*\0//s;
                open(my $out, ">:raw", "$ARGV[1]-" . $n++ . ".abc") or exit 0;
                print $out $body;
            }
            $pos += $len;
        }
    ' "$movie" "$abc_seeds/$(basename "$movie" .swf)"
done

status=0
total_start=$(date +%s)
for target in "${targets[@]}"; do
    seeds=()
    case $target in
    swf_reader | swf_player | movie_probe)
        seeds=("$movie_seeds")
        max_len=$max_movie_seed
        ;;
    spool_reader)
        max_len=32768
        ;;
    settings_file)
        max_len=1024
        ;;
    avm1_actions)
        max_len=4096
        ;;
    abc_reader | abc_interpreter)
        seeds=("$abc_seeds")
        max_len=$max_movie_seed
        ;;
    esac
    [ -d "$root/fuzz/seeds/$target" ] && seeds+=("$root/fuzz/seeds/$target")
    regressions=$root/tests/fuzz-regressions/$target
    [ -d "$regressions" ] && seeds+=("$regressions")
    mkdir -p "$work/corpus-$target"
    log=$work/$target.log
    start=$(date +%s)
    set +e
    # -close_fd_mask=3: the readers' own chatter about broken input (Qt's
    # image readers, FFmpeg's decoders) is not wanted thousands of times a
    # second; libFuzzer and the sanitizers keep reporting.
    TMPDIR=$work ASAN_OPTIONS=detect_leaks=1 \
        "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$max_len" -close_fd_mask=3 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" \
        "$work/corpus-$target" "${seeds[@]}" >"$log" 2>&1
    result=$?
    set -e
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
    if [ "$result" -eq 0 ]; then
        printf '%-14s %4d s  %9s executions  peak %s MB\n' "$target" "$elapsed" "${runs:-?}" "${rss:-?}"
    else
        printf '%-14s %4d s  FINDING (exit %d); log follows\n' "$target" "$elapsed" "$result"
        # The finding, the file it was saved to, and the stack's frames in
        # the project's own code.
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" || true
        grep -E "#[0-9]+ .*$root/" "$log" | head -n 12 || true
        status=1
    fi
done
echo "fuzzing took $(($(date +%s) - total_start)) s in all"
exit $status
