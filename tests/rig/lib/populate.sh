# Fills a mounted volume through its file-system driver (bash): run inside the User-Mode Linux
# guest on the vfat mount, or on the host on an ntfs-3g mount. Names, sizes and contents are
# the same on every run, so that tests can name what they expect.
#
# Forks are slow inside the guest: these helpers use shell built-ins where they can.

# write_known FILE SIZE: SIZE bytes made from the file's own name, repeated.
write_known() {
  local text="${1##*/}|"
  while [ ${#text} -lt "$2" ]; do text=$text$text; done
  printf '%s' "${text:0:$2}" >"$1"
}

# The folders populate_tree makes, as paths below the volume root. Long names, pure 8.3 names
# (upper case: one entry; lower case: one entry with case bits), a folder with an extension,
# nesting, and two long names that share their first eight characters.
rig_folders=(
  "DATA"
  "DATA/NESTED"
  "DATA/NESTED/DEEP"
  "SUB.EXT"
  "lower"
  "Documents"
  "Documents/Reports 2024"
  "Documents/Reports 2024/Q1"
  "Long folder name with spaces"
  "Long folder name with spaces 2"
  "Mixed Case"
  "Mixed Case/a.b.c folder"
  "Many files"
)

# populate_tree ROOT: the folders above, files of known content in them, a folder big enough to
# span at least three clusters, and deletions that leave deleted entries behind: single files,
# every seventh file of the big folder, and a whole folder with its files.
populate_tree() {
  local root=$1 f i
  mkdir -p "${rig_folders[@]/#/$root/}" || return 1
  write_known "$root/README.TXT" 100
  : >"$root/EMPTY.DAT"
  write_known "$root/Reports 2024" 300 # a file with the name of a folder elsewhere
  write_known "$root/Documents/Letter to the bank.txt" 5000
  write_known "$root/Documents/Reports 2024/Q1/figures.csv" 20000
  write_known "$root/DATA/NESTED/DEEP/VALUES.BIN" 70000
  write_known "$root/lower/small.txt" 1
  write_known "$root/Mixed Case/a.b.c folder/Notes.Txt" 777

  # Each name takes four entries (three long-name parts and the short entry): 128 bytes.
  local cluster count
  cluster=$(stat -f -c %S "$root") || return 1
  count=$((3 * cluster / 128 + 3))
  for ((i = 1; i <= count; i++)); do
    printf -v f '%s/Many files/Entry number %04d long name.txt' "$root" "$i"
    if ((i % 10 == 0)); then write_known "$f" $((i * 37)); else : >"$f"; fi
  done

  mkdir "$root/Old stuff"
  write_known "$root/Old stuff/diary.txt" 3000
  write_known "$root/Old stuff/OLD.BAK" 600
  write_known "$root/Documents/draft 1.txt" 1500
  write_known "$root/DATA/TEMP.TMP" 50
  local doomed=("$root/Documents/draft 1.txt" "$root/DATA/TEMP.TMP")
  for ((i = 7; i <= count; i += 7)); do
    printf -v f '%s/Many files/Entry number %04d long name.txt' "$root" "$i"
    doomed+=("$f")
  done
  rm -r "$root/Old stuff" "${doomed[@]}" || return 1
  sync
}

# populate_chain_limit ROOT: two folders of upper-case 8.3 names (one entry each), one filling
# exactly 80 clusters of directory and one filling 81.
populate_chain_limit() {
  local root=$1 cluster files i
  cluster=$(stat -f -c %S "$root")
  files=$((80 * cluster / 32 - 2)) # "." and ".." take two entries
  mkdir "$root/EIGHTY" "$root/EIGHTY1" || return 1
  for ((i = 1; i <= files; i++)); do
    : >"$root/EIGHTY/F$i.TXT"
    : >"$root/EIGHTY1/F$i.TXT"
  done
  : >"$root/EIGHTY1/F$i.TXT"
  sync
}

# live_listing ROOT: one line per live file, "PATH<TAB>SIZE<TAB>MTIME<TAB>SHA256", sorted by
# path, from one process.
live_listing() {
  perl -MFile::Find -MDigest::SHA -e '
    my $root = shift;
    my @lines;
    find({ no_chdir => 1, wanted => sub {
      return unless -f $_;
      my @st = stat($_);
      my $sha = Digest::SHA->new(256);
      $sha->addfile($_, "b");
      (my $path = $_) =~ s{^\Q$root\E/}{};
      push @lines, join("\t", $path, $st[7], $st[9], $sha->hexdigest) . "\n";
    } }, $root);
    print sort @lines;' "$1"
}

# drop_caches: after sync, so that raw reads of the device see what the driver wrote.
drop_caches() {
  sync
  echo 3 >/proc/sys/vm/drop_caches
}
