#!/usr/bin/env python3
"""Finds mutation sites in the core's sources and orders them by a seed.

  sites.py order --seed N --compile-db FILE [ROOT]
      every site, one per line, in the seeded order:
      id <TAB> file:line <TAB> operator <TAB> before <TAB> after
  sites.py apply --seed N --compile-db FILE --id ID [ROOT]
      writes the mutant of site ID into its file (the caller keeps the
      original and puts it back)

A site is named by its file, the text of its line, which occurrence of that
text in the file it is, the operator and which match on the line it is; its
id is a hash of those, so edits elsewhere in a file move no site and the
order (a hash of seed and id) does not depend on what else exists.
"""
import argparse
import hashlib
import json
import os
import re
import sys

CORE_DIRS = ["engine", "ooxml", "copyrun", "dialog", "addin", "numbering",
             "transfer", "support", "posix"]
SKIPPED_NAME = re.compile(r"(_test\.|^test_support|^fakes|_win32\.)")

FLIP = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}
COMPARISON = re.compile(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)")
LOGICAL = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
BOOLEAN = re.compile(r"\b(true|false)\b")
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
IF_OPEN = re.compile(r"\bif\s*\(")
NOT_STATEMENT = re.compile(
    r"^(if|for|while|switch|catch|try|return|throw|break|continue|goto|case|default|delete|using|typedef|"
    r"else|do|co_return|co_yield|static_assert|namespace|template|public|"
    r"private|protected|friend|enum|struct|class|union)\b")
LVALUE = r"\*?[A-Za-z_]\w*(?:\s*(?:\.|->|::)\s*[A-Za-z_]\w*|\[[^\]]*\])*"
CALL = re.compile(r"^" + LVALUE + r"\s*\(.*\)\s*;$")
ASSIGN = re.compile(r"^" + LVALUE + r"\s*(?:=|\+=|-=|\*=|/=|%=|\|=|&=|\^=|<<=|>>=)\s*[^=].*;$")
STEP = re.compile(r"^(?:\+\+|--)\s*" + LVALUE + r"\s*;$|^" + LVALUE + r"\s*(?:\+\+|--)\s*;$")
SMALL_MAX = 64


def blank_until(chars, line, i, closer):
    """Blanks line from i through the closer, or to its end; returns where
    the scan goes on and whether the closer was met."""
    end = line.find(closer, i)
    stop = len(line) if end < 0 else end + len(closer)
    for k in range(i, stop):
        chars[k] = " "
    return stop, end >= 0


def mask(lines):
    """Blanks comments, string and character literals and preprocessor lines,
    keeping every other character at its column."""
    out = []
    in_block = False
    in_raw = None
    continued = False
    for line in lines:
        if continued or (not in_block and in_raw is None and line.lstrip().startswith("#")):
            continued = line.rstrip("\n").endswith("\\")
            out.append(" " * len(line))
            continue
        chars = list(line)
        i = 0
        n = len(line)
        while i < n:
            if in_raw is not None or in_block:
                i, closed = blank_until(chars, line, i, in_raw if in_raw is not None else "*/")
                if closed:
                    in_raw, in_block = None, False
                continue
            c = line[i]
            if line.startswith("//", i):
                for k in range(i, n):
                    chars[k] = " "
                break
            if line.startswith("/*", i):
                in_block = True
                continue
            raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', line[i:])
            if raw and (i == 0 or not (line[i - 1].isalnum() or line[i - 1] == "_")):
                in_raw = ")" + raw.group(1) + '"'
                for k in range(i, i + raw.end()):
                    chars[k] = " "
                i += raw.end()
                continue
            if c == '"' or (c == "'" and not (i > 0 and line[i - 1].isalnum())):
                k = i + 1
                while k < n and line[k] != c:
                    k += 2 if line[k] == "\\" else 1
                for j in range(i, min(k + 1, n)):
                    if line[j] != "\n":
                        chars[j] = " "
                i = k + 1
                continue
            i += 1
        out.append("".join(chars))
    return out


def close_paren(text, open_at):
    depth = 0
    for k in range(open_at, len(text)):
        if text[k] == "(":
            depth += 1
        elif text[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def statement_starts_here(masked, index):
    for k in range(index - 1, -1, -1):
        prev = masked[k].strip()
        if prev:
            return prev.endswith((";", "{", "}")) or re.search(r"^(case\b.*|default|public|private|protected):$", prev) is not None
    return True


def line_sites(masked_line):
    """Yields (operator, start, end, replacement) on one masked line."""
    text = masked_line.rstrip("\n")
    stripped = text.strip()
    if not stripped or "template" in text or "operator" in text:
        return
    for m in COMPARISON.finditer(text):
        yield "comparison", m.start(), m.end(), FLIP[m.group(1)]
    for m in LOGICAL.finditer(text):
        yield "logical", m.start(), m.end(), "||" if m.group(1) == "&&" else "&&"
    for m in BOOLEAN.finditer(text):
        yield "boolean", m.start(), m.end(), "false" if m.group(1) == "true" else "true"
    for m in INTEGER.finditer(text):
        value = int(m.group(1))
        if m.group(1).startswith("0") and len(m.group(1)) > 1:
            continue  # octal
        if value > SMALL_MAX:
            continue
        yield "constant", m.start(), m.end(), str(1 if value == 0 else 0 if value == 1 else value + 1)
    for m in IF_OPEN.finditer(text):
        if re.match(r"\bif\s+constexpr", text[m.start():]):
            continue
        open_at = m.end() - 1
        close_at = close_paren(text, open_at)
        if close_at < 0:
            continue
        cond = text[open_at + 1:close_at]
        # A declaration or an init-statement in the condition cannot be negated.
        if ";" in cond or re.search(r"(?<![=!<>])=(?!=)", cond):
            continue
        yield "negate", open_at + 1, close_at, None


def file_sites(path, rel):
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.readlines()
    masked = mask(lines)
    seen = {}
    for index, (line, mline) in enumerate(zip(lines, masked)):
        key = line.strip()
        occurrence = seen.get(key, 0)
        seen[key] = occurrence + 1
        per_op = {}
        found = list(line_sites(mline))
        stripped = mline.strip()
        if (stripped.endswith(";") and not NOT_STATEMENT.match(stripped)
                and (CALL.match(stripped) or ASSIGN.match(stripped) or STEP.match(stripped))
                and mline.count("(") == mline.count(")")
                and statement_starts_here(masked, index)):
            found.append(("drop", 0, len(line.rstrip("\n")), ""))
        for op, start, end, repl in found:
            nth = per_op.get(op, 0)
            per_op[op] = nth + 1
            body = line.rstrip("\n")
            ending = line[len(body):]
            if op == "negate":
                after = body[:start] + "!(" + body[start:end] + ")" + body[end:]
            elif op == "drop":
                after = ""
            else:
                after = body[:start] + repl + body[end:]
            ident = "\0".join([rel, key, str(occurrence), op, str(nth)])
            site_id = hashlib.sha256(ident.encode()).hexdigest()[:10]
            yield {"id": site_id, "file": rel, "line": index + 1, "op": op,
                   "before": body, "after": after, "ending": ending}


def core_files(root, compile_db):
    with open(compile_db, encoding="utf-8") as f:
        built = {os.path.realpath(os.path.join(e.get("directory", ""), e["file"]))
                 for e in json.load(f)}
    files = []
    for d in CORE_DIRS:
        base = os.path.join(root, "src", d)
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = [x for x in dirnames if x not in ("win32", "cli", "bench", "fuzz")]
            for name in filenames:
                if not name.endswith(".cpp") or SKIPPED_NAME.search(name):
                    continue
                full = os.path.join(dirpath, name)
                # Only what this build compiles can be killed by its suite.
                if os.path.realpath(full) in built:
                    files.append(os.path.relpath(full, root))
    return sorted(files)


def all_sites(root, compile_db, seed):
    sites = []
    for rel in core_files(root, compile_db):
        sites.extend(file_sites(os.path.join(root, rel), rel))
    ids = [s["id"] for s in sites]
    if len(ids) != len(set(ids)):
        sys.exit("mutation sites: two sites share an id")
    rank = lambda s: hashlib.sha256(f"{seed}:{s['id']}".encode()).hexdigest()
    return sorted(sites, key=rank)


def one_line(text):
    return " ".join(text.split())


def main():
    p = argparse.ArgumentParser()
    p.add_argument("command", choices=["order", "apply"])
    p.add_argument("root", nargs="?", default=".")
    p.add_argument("--seed", required=True)
    p.add_argument("--compile-db", required=True)
    p.add_argument("--id")
    a = p.parse_args()
    sites = all_sites(a.root, a.compile_db, a.seed)
    if a.command == "order":
        for s in sites:
            print("\t".join([s["id"], f"{s['file']}:{s['line']}", s["op"],
                             one_line(s["before"]), one_line(s["after"]) or "(dropped)"]))
        return
    match = [s for s in sites if s["id"] == a.id]
    if not match:
        sys.exit(f"mutation sites: no site {a.id}")
    s = match[0]
    path = os.path.join(a.root, s["file"])
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.readlines()
    if lines[s["line"] - 1].rstrip("\n") != s["before"]:
        sys.exit(f"mutation sites: {s['file']}:{s['line']} is not the line the site names")
    lines[s["line"] - 1] = s["after"] + s["ending"]
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
