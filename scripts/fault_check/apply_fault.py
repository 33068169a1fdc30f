#!/usr/bin/env python3
# apply_fault.py TREE EDITS_FILE: applies literal edits "file|||old|||new|||count" (one a line,
# "\n" in old/new stands for a line end). Exits 3 (did not apply) when any old text does not
# occur exactly `count` times, or when a file is unchanged afterwards; nothing is written then.
import sys, os
tree, edits_file = sys.argv[1], sys.argv[2]
pending = {}
for line in open(edits_file, encoding="utf-8"):
    line = line.rstrip("\n")
    if not line.strip():
        continue
    path, old, new, count = line.split("|||")
    old, new, count = old.replace("\\n", "\n"), new.replace("\\n", "\n"), int(count)
    full = os.path.join(tree, path)
    text = pending.get(full)
    if text is None:
        text = open(full, encoding="utf-8").read()
    found = text.count(old)
    if found != count:
        print(f"{path}: expected {count} match(es) of {old!r}, found {found}")
        sys.exit(3)
    text = text.replace(old, new)
    if text.count(new) < count:
        print(f"{path}: replacement not present afterwards")
        sys.exit(3)
    pending[full] = text
for full, text in pending.items():
    if open(full, encoding="utf-8").read() == text:
        print(f"{full}: unchanged")
        sys.exit(3)
    open(full, "w", encoding="utf-8").write(text)
