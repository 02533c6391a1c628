# The corpus of the media benchmarks, sourced by them: the first 100
# libraries of the machine of 100 KB to 2 MB, under 8.3 names, in WORK/files,
# and WORK/media.ini naming them. Sets `n` (files) and `total` (bytes).
make_corpus() {  # work
  local work=$1 file name
  mkdir -p "$work/files"
  n=0
  {
    printf '[Media]\nTitle=Bench\n[Main]\nFile=files/F000.EXE\n[Files]\n'
    while IFS= read -r file; do
      n=$((n + 1))
      name=$(printf 'F%03d.DLL' "$n")
      cp "$file" "$work/files/$name"
      printf 'File%d=files/%s\n' "$n" "$name"
      [ "$n" -ge 100 ] && break
    done < <(find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +100k -size -2M | sort)
  } >"$work/media.ini"
  cp "$work/files/F001.DLL" "$work/files/F000.EXE"
  total=$(du -cb "$work"/files/F*.DLL | tail -1 | cut -f1)
  echo "corpus: $n files, $total bytes"
}
