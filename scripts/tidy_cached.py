"""clang-tidy over the program's own sources, each at most once per change.

tidy_cached.py TOP BUILD_DIR (run by tidy.sh). Reads BUILD_DIR's compile
commands without the precompiled header (clang cannot read GCC's) or GCC's
own warning names, runs clang-tidy on every unit whose inputs changed since
its last clean run, in parallel, and prints the findings. A unit is one
compile command: in a unity tree a batch of a target's sources (Qt's headers
are then read and matched once a batch, not once a source), else one source.
A unit's inputs: its compile command, the contents of every file of the
project it includes (from the compiler's dependency file), the time and size
of every system header and precompiled header it includes, clang-tidy's
version and .clang-tidy.
"""

import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

PROGRAM_SOURCES = ['core/*.cpp', 'sender/*.cpp', 'windows/*.cpp', 'cli/*.cpp', 'virtual_printer/*.cpp',
                   'dravik/*.cpp']


# A line of a CMake unity batch: #include "/abs/path/source.cpp".
UNITY_INCLUDE = re.compile(r'^#include "(/[^"]+)"$', re.M)
# A using-declaration at the start of a line: using esc::ESC;
USING_DECLARATION = re.compile(r'^\s*using\s+[\w:]+::\w+\s*;', re.M)


def arguments(entry):
    return entry['arguments'] if 'arguments' in entry else shlex.split(entry['command'])


def for_clang(args):
    """The compile command as clang takes it: without CMake's forced include of
    GCC's precompiled header, and without the GCC warnings the sanitizer trees
    demote (-Wno-error=...), which clang does not know."""
    kept = []
    skip = False
    for i, arg in enumerate(args):
        if skip:
            skip = False
            continue
        if arg == '-include' and i + 1 < len(args) and os.path.basename(args[i + 1]).startswith('cmake_pch.'):
            skip = True
            continue
        if arg == '-Winvalid-pch' or arg.startswith('-Wno-error='):
            continue
        kept.append(arg)
    return kept


def object_file(entry, args):
    if entry.get('output'):
        return entry['output']
    for i, arg in enumerate(args[:-1]):
        if arg == '-o':
            return args[i + 1]
    return None


def dependencies(entry, args):
    """The files the compiler read for this source, from its dependency file; None when there is none."""
    output = object_file(entry, args)
    if not output:
        return None
    depfile = os.path.join(entry['directory'], output + '.d')
    try:
        with open(depfile, encoding='utf-8', errors='surrogateescape') as f:
            text = f.read()
    except OSError:
        return None
    text = text.replace('\\\n', ' ')
    paths = []
    for line in text.splitlines():
        if ':' not in line:
            continue
        # "target: dep dep ..." (a path with a space is written "a\ b").
        rest = line.split(': ', 1)[1] if ': ' in line else line.split(':', 1)[1]
        word = ''
        escaped = False
        for ch in rest + ' ':
            if escaped:
                word += ch
                escaped = False
            elif ch == '\\':
                escaped = True
            elif ch.isspace():
                if word:
                    paths.append(os.path.normpath(os.path.join(entry['directory'], word)))
                word = ''
            else:
                word += ch
    return paths


def input_key(entry, args, top, common):
    deps = dependencies(entry, args)
    if deps is None:
        return None
    h = hashlib.sha256(common)
    h.update(json.dumps(args).encode())
    for path in sorted(set(deps)):
        h.update(path.encode('utf-8', 'surrogateescape'))
        try:
            # A precompiled header stands for the system headers in it: it is
            # made again when one of them changes.
            if path.startswith(top + os.sep) and not path.endswith(('.gch', '.pch')):
                with open(path, 'rb') as f:
                    h.update(hashlib.sha256(f.read()).digest())
            else:
                st = os.stat(path)
                h.update(f'{st.st_mtime_ns}:{st.st_size}'.encode())
        except OSError:
            return None
    return h.hexdigest()


def unit_sources(entry):
    """The sources a compile command compiles: those a unity batch includes,
    or its one file."""
    path = os.path.realpath(os.path.join(entry['directory'], entry['file']))
    if os.sep + 'Unity' + os.sep not in path:
        return path, [path]
    try:
        with open(path, encoding='utf-8', errors='surrogateescape') as f:
            text = f.read()
    except OSError:
        return path, []
    return path, [os.path.realpath(m) for m in UNITY_INCLUDE.findall(text)]


def main():
    top, build = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
    files = subprocess.run(['git', 'ls-files', *PROGRAM_SOURCES], cwd=top, check=True, capture_output=True,
                           text=True).stdout.split()
    wanted = {os.path.join(top, name): name for name in files}
    with open(os.path.join(build, 'compile_commands.json')) as f:
        database = json.load(f)
    clean_dir = os.path.join(build, 'tidy-clean')
    os.makedirs(clean_dir, exist_ok=True)
    version = subprocess.run(['clang-tidy', '--version'], check=True, capture_output=True).stdout
    config = os.path.join(top, '.clang-tidy')
    with open(config, 'rb') as f:
        common = version + f.read()

    # A unit is one compile command: a unity batch of a target's sources, or
    # one source. Each program source is checked in the first unit that
    # compiles it.
    filtered = []
    work = []
    unchanged = 0
    covered = set()
    for entry in database:
        args = for_clang(arguments(entry))
        path, sources = unit_sources(entry)
        filtered.append({'directory': entry['directory'], 'file': path, 'arguments': args})
        mine = [src for src in sources if src in wanted and src not in covered]
        if not mine:
            continue
        covered.update(mine)
        # misc-unused-using-decls looks only at the unit's own file, so a
        # source of a batch that declares names with `using` is also checked
        # for that alone, on its own.
        alone = []
        for src in mine:
            if src == path:
                continue
            with open(src, encoding='utf-8', errors='surrogateescape') as f:
                if USING_DECLARATION.search(f.read()):
                    alone.append(src)
                    filtered.append({'directory': entry['directory'], 'file': src,
                                     'arguments': [src if a == entry['file'] or a == path else a for a in args]})
        key = input_key(entry, args, top, common)
        if key and os.path.exists(os.path.join(clean_dir, key)):
            unchanged += len(mine)
        else:
            work.append((path, alone, [wanted[src] for src in mine], key))
    missing = [name for path, name in wanted.items() if path not in covered]
    if missing:
        print('tidy: not in %s/compile_commands.json (not built there): %s' % (build, ' '.join(sorted(missing))),
              file=sys.stderr)
        return 1

    with tempfile.TemporaryDirectory() as db_dir:
        with open(os.path.join(db_dir, 'compile_commands.json'), 'w') as f:
            json.dump(filtered, f)

        def tidy(path, *extra):
            run = subprocess.run(['clang-tidy', '-p', db_dir, '--quiet', '--config-file=' + config, *extra, path],
                                 cwd=top, capture_output=True, text=True, errors='replace')
            output = run.stdout + run.stderr
            findings = [line for line in output.splitlines() if 'warning:' in line or 'error:' in line]
            if run.returncode == 0 and not findings:
                return []
            return findings or output.splitlines()

        def check(item):
            path, alone, names, key = item
            found = tidy(path)
            for src in alone:
                found += tidy(src, '--checks=-*,misc-unused-using-decls')
            if found:
                return found
            if key:
                open(os.path.join(clean_dir, key), 'w').close()
            return None

        jobs = int(os.environ.get('NPS_TIDY_JOBS', os.cpu_count() or 1))
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            results = list(pool.map(check, work))

    found = [line for result in results if result for line in result]
    if found:
        print('\n'.join(found), file=sys.stderr)
        print('tidy: findings above (checks in .clang-tidy)', file=sys.stderr)
        return 1
    checked = sum(len(item[2]) for item in work)
    print('tidy: %d files, no findings (%d checked now in %d runs, %d unchanged since their last clean run)'
          % (len(files), checked, len(work), unchanged))
    return 0


if __name__ == '__main__':
    sys.exit(main())
