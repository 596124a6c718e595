#!/usr/bin/env bash
# parlavox-lngc --update beside an editor, other users and links: the
# translator's source is only ever added to, in place. An update held
# between its read and its write (or after its write) while an editor saves
# leaves the editor's file as saved and says so; a file the caller may not
# write is refused with the reason; owner, mode, ACL entries, extended
# attributes and hard links stay.
#
# Usage: lngc_update_race_test.sh PARLAVOX-LNGC
set -euo pipefail
lngc=$1
source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"
chmod 755 "$work"

allow_tracing

printf '0 | File\r\n1 | Save\r\n2 | Help\r\n' >langEnglish.txt
old=$'0 | Datei\r\n'
added=$'// New in the reference, to be translated:\r\n1 | Save\r\n2 | Help\r\n'
saved=$'0 | Datei\r\n1 | Sichern\r\n'
source=$work/langDeutsch.txt
changed="$source: not updated: the file changed while it was updated; run again"
changed_after="$source: the lines were added, but the file changed as well while it was updated; look at it before you compile it"

# Runs the update of langDeutsch.txt; sets status, and keeps standard error
# in err.
update() {
  set +e
  "$@" "$lngc" --update --reference "$work/langEnglish.txt" "$source" >out 2>err
  status=$?
  set -e
}

# Runs the update held for a second where the strace options $1 say, runs
# the command $3 once the trace shows the pattern $2 (the update is then
# held), and waits for the update.
update_held() {
  local inject=$1 pattern=$2 editor=$3
  : >trace
  update strace -f -o trace -P "$source" -e trace=openat,fsync \
    -e inject="$inject" &
  local pid=$!
  for _ in $(seq 1000); do
    grep -q -- "$pattern" trace && break
    sleep 0.01
  done
  grep -q -- "$pattern" trace || fail "the update was never held at $pattern: $(cat trace err)"
  eval "$editor"
  wait "$pid" || true
}

# Compares what the update said on standard error, and the source it left,
# with $2 and the bytes $3 (an x after them, if any, is left out: it keeps
# a final line end through a command substitution).
# Lines of strace's own, which it prints under load, are not the update's.
expect() {
  local what=$1 want_err=$2 said
  said=$(grep -v '^strace: ' err || true)
  [[ $said == "$want_err" ]] || fail "$what: said '$said'"
  printf '%s' "${3%x}" >want
  cmp -s want "$source" || fail "$what: left '$(cat -A "$source")'"
}

# The editor saves while the update is held between its read and its write:
# as a new file renamed over the old (atomically), or in place, also
# without changing the size. The update writes nothing and says so.
# The source is opened for the update's lock, for its read, then to append.
hold_before_write='openat:delay_enter=1000000:when=3'
opened_for_append='O_RDWR.*O_APPEND'
for save in "printf '%s' \"\$saved\" >saved.txt && mv saved.txt \"\$source\"" \
  "printf '%s' \"\$saved\" >\"\$source\"" \
  "printf 'Datum' | dd of=\"\$source\" bs=1 seek=4 conv=notrunc status=none"; do
  printf '%s' "$old" >"$source"
  update_held "$hold_before_write" "$opened_for_append" "$save; cp \"\$source\" saved-copy"
  expect "save before the write ($save)" "$changed" "$(cat saved-copy; printf x)"
done

# The editor renames its save over the source after the update wrote and
# while it syncs: the update says that it wrote and that the file changed,
# and the saved file is the editor's.
printf '%s' "$old" >"$source"
update_held 'fsync:delay_enter=1000000:when=1' 'fsync(' \
  "printf '%s' \"\$saved\" >saved.txt && mv saved.txt \"\$source\""
expect "save after the write" "$changed_after" "$saved"

# Undisturbed, the same file gains the lines.
printf '%s' "$old" >"$source"
update
expect "undisturbed" "" "$old$added"
[[ $status == 0 ]] || fail "undisturbed: status $status"

# Owner, group, mode, ACL entries, extended attributes and a hard link stay.
printf '%s' "$old" >"$source"
chown nobody:nogroup "$source"
chmod 0640 "$source"
ln "$source" other.txt
acl=yes
setfacl -m u:daemon:rw "$source" 2>/dev/null || acl=no
xattr=yes
setfattr -n user.translator -v Anna "$source" 2>/dev/null || xattr=no
# (An ACL entry shows in the group's mode bits.)
before=$(stat -c '%i %U %G %a %h' "$source")
[[ $before == *" nobody nogroup 6"[46]"0 2" ]] || fail "kept: set up as $before"
update
expect "kept" "" "$old$added"
[[ $(stat -c '%i %U %G %a %h' "$source") == "$before" ]] ||
  fail "kept: $(stat -c '%i %U %G %a %h' "$source"), was $before"
cmp -s other.txt "$source" || fail "kept: the hard link was split"
if [[ $acl == yes ]]; then
  getfacl -c "$source" 2>/dev/null | grep -qx 'user:daemon:rw-' || fail "kept: ACL entry lost"
fi
if [[ $xattr == yes ]]; then
  [[ $(getfattr --only-values -n user.translator "$source" 2>/dev/null) == Anna ]] ||
    fail "kept: extended attribute lost"
fi
rm other.txt

# Refused before anything is written, with the reason: a read-only file
# (for root as for its owner), and another owner's file that the caller may
# not write although the folder allows it.
printf '%s' "$old" >"$source"
chown root:root "$source"
chmod 0444 "$source"
update
[[ $status == 1 ]] || fail "read-only: status $status"
expect "read-only" "$source: not updated: the file is read-only" "$old"
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
  as_nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups"
  chmod 0777 "$work"
  chmod 0644 "$source"
  update $as_nobody
  [[ $status == 1 ]] || fail "another owner's file: status $status"
  expect "another owner's file" "$source: not updated: permission denied" "$old"
  chown nobody:nogroup "$source"
  chmod 0444 "$source"
  update $as_nobody
  expect "own read-only file" "$source: not updated: the file is read-only" "$old"
  chmod 0600 "$source"
  chown root:root "$source"
  update $as_nobody
  expect "unreadable file" \
    "$source: File langDeutsch.txt could not be read: permission denied" "$old"
  chmod 0755 "$work"
fi
chmod 0644 "$source"

# A full disk is named, and what went in is taken out again.
if command -v strace >/dev/null; then
  update strace -f -o /dev/null -P "$source" -e trace=write -e inject=write:error=ENOSPC:when=1
  [[ $status == 1 ]] || fail "full disk: status $status"
  expect "full disk" "$source: not updated: no space left on the device" "$old"
fi
# A sync that fails leaves the source as it was, with no journal.
if command -v strace >/dev/null; then
  printf '%s' "$old" >"$source"
  update strace -f -o /dev/null -P "$source" -e trace=fsync -e inject=fsync:error=EIO:when=1
  [[ $status == 1 ]] || fail "failed sync: status $status"
  expect "failed sync" "$source: not updated: the file could not be written" "$old"
  [[ ! -e $work/.langDeutsch.txt.append ]] || fail "failed sync: the journal stayed"
fi

# Another program adds to the source while the update syncs: the update
# says the file changed as well, and both writes are in it.
printf '%s' "$old" >"$source"
update_held 'fsync:delay_enter=1000000:when=1' 'fsync(' \
  "printf '3 | x\r\n' >>\"\$source\""
expect "added to during the sync" "$changed_after" "$old$added"$'3 | x\r\n'
echo "update race test passed"
