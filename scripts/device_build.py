#!/usr/bin/env python3
"""Checks, on a workstation, what it can of the device build described by Android.bp.

  device_build.py sources BUILD_DIR   Android.bp and CMake build the same sources into the same
                                      libraries, tool and tests; fails naming each difference.
                                      BUILD_DIR is a CMake tree configured with a codemodel query.
  device_build.py libcxx BUILD_DIR    every source of every module compiles as a device compiles
                                      it: clang against libc++, with the module's Android.bp flags
                                      and include directories, plus -Werror. Sources of host-only
                                      CMake targets get the shared flags and their CMake includes.
                                      The switches' sources compile once more as on bionic, whose
                                      property functions they then call directly.
"""

import concurrent.futures
import glob
import json
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The platform's own libraries: on a workstation, Debian's builds of them.
PLATFORM_LIBS = {"liblog", "libbase"}
PLATFORM_INCLUDES = ["/usr/include/android"]

# CMake targets that no device build has, and why.
HOST_ONLY = {
    "abi_caller": "checks the built library as a prebuilt caller links it; the export list "
    "(cmake/plumix_log.map) is the device's side of that",
    "dump_fuzzer": "libFuzzer runs on the host",
    "plumix_log_example": "make demo runs it on the workstation to show the macros; a device's "
    "own programs show them there",
    "plumix_log_bench": "compares against libraries that a device image does not have",
    "plumix_log_serial_bench": "the same, reading through a test's property area as a device "
    "reads through its own",
    "switch_serials_test": "defines bionic's property functions itself, which a device's C library "
    "has: there every test reads the switches through them",
}

# The module whose sources take another path on bionic (__BIONIC__), and the declarations of
# bionic's <sys/system_properties.h> that the path calls.
BIONIC_MODULE = "libplumix_log_switches"
BIONIC_PROPERTIES_HEADER = """#pragma once
#include <stdint.h>
#include <sys/cdefs.h>
__BEGIN_DECLS
typedef struct prop_info prop_info;
const prop_info* __system_property_find(const char* __name);
uint32_t __system_property_serial(const prop_info* __pi);
uint32_t __system_property_area_serial(void);
void __system_property_read_callback(const prop_info* __pi,
    void (*__callback)(void* __cookie, const char* __name, const char* __value, uint32_t __serial),
    void* __cookie);
__END_DECLS
"""

# A test target without a module of its own is part of this one suite module.
SUITE_MODULE = "libplumix_log_test"

# A target may name its headers; a module lists only what it compiles.
HEADERS = (".h", ".hh", ".hpp", ".inc")

BUILT_TARGET_TYPES = {"EXECUTABLE", "STATIC_LIBRARY", "SHARED_LIBRARY", "MODULE_LIBRARY",
                      "OBJECT_LIBRARY"}


class BlueprintError(Exception):
    pass


TOKEN = re.compile(r'\s+|//[^\n]*|/\*.*?\*/|"(?:[^"\\]|\\.)*"|[A-Za-z_][A-Za-z0-9_]*|-?\d+'
                   r'|\+=|[{}\[\]:,=+()]', re.S)


def tokenize(text):
    tokens, pos = [], 0
    while pos < len(text):
        match = TOKEN.match(text, pos)
        if not match:
            line = text.count("\n", 0, pos) + 1
            raise BlueprintError(f"Android.bp:{line}: cannot read {text[pos:pos + 20]!r}")
        token = match.group(0)
        if not (token.isspace() or token.startswith("//") or token.startswith("/*")):
            tokens.append(token)
        pos = match.end()
    return tokens


class Parser:
    """The subset of Blueprint that build files use: modules, variables, lists, maps, +."""

    def __init__(self, text):
        self.tokens = tokenize(text)
        self.pos = 0
        self.variables = {}

    def peek(self):
        return self.tokens[self.pos] if self.pos < len(self.tokens) else None

    def take(self, expected=None):
        token = self.peek()
        if token is None or (expected is not None and token != expected):
            raise BlueprintError(f"Android.bp: expected {expected or 'more'}, found {token}")
        self.pos += 1
        return token

    def modules(self):
        found = []
        while self.peek() is not None:
            name = self.take()
            if self.peek() in ("=", "+="):
                operator = self.take()
                value = self.expression()
                self.variables[name] = (self.variables[name] + value if operator == "+="
                                        else value)
            else:
                found.append((name, self.map_body("{", "}")))
        return found

    def map_body(self, open_token, close_token):
        self.take(open_token)
        properties = {}
        while self.peek() != close_token:
            key = self.take()
            self.take(":" if self.peek() == ":" else "=")
            properties[key] = self.expression()
            if self.peek() == ",":
                self.take()
        self.take(close_token)
        return properties

    def expression(self):
        value = self.value()
        while self.peek() == "+":
            self.take()
            value = value + self.value()
        return value

    def value(self):
        token = self.peek()
        if token == "[":
            self.take()
            items = []
            while self.peek() != "]":
                items.append(self.expression())
                if self.peek() == ",":
                    self.take()
            self.take("]")
            return items
        if token == "{":
            return self.map_body("{", "}")
        self.take()
        if token.startswith('"'):
            return json.loads(token)
        if token in ("true", "false"):
            return token == "true"
        if re.fullmatch(r"-?\d+", token):
            return int(token)
        if token in self.variables:
            return self.variables[token]
        raise BlueprintError(f"Android.bp: unknown name {token}")


def read_modules():
    with open(os.path.join(ROOT, "Android.bp")) as f:
        parsed = Parser(f.read()).modules()
    defaults = {props["name"]: props for kind, props in parsed if kind == "cc_defaults"}

    def resolved(props):
        merged = {}
        for name in props.get("defaults", []):
            for key, value in resolved(defaults[name]).items():
                merged[key] = value
        for key, value in props.items():
            if isinstance(value, list) and isinstance(merged.get(key), list):
                merged[key] = merged[key] + value
            else:
                merged[key] = value
        return merged

    return {props["name"]: dict(resolved(props), kind=kind)
            for kind, props in parsed if kind != "cc_defaults"}


def read_targets(build_dir):
    replies = sorted(glob.glob(os.path.join(build_dir, ".cmake/api/v1/reply/index-*.json")))
    if not replies:
        sys.exit(f"{build_dir}: no CMake codemodel; configure it with a codemodel-v2 query")
    reply_dir = os.path.dirname(replies[-1])

    def load(name):
        with open(os.path.join(reply_dir, name)) as f:
            return json.load(f)

    index = load(os.path.basename(replies[-1]))
    codemodel = next(o for o in index["objects"] if o["kind"] == "codemodel")
    configuration = load(codemodel["jsonFile"])["configurations"][0]
    names = {t["id"]: t["name"] for t in configuration["targets"]}
    targets = {}
    for entry in configuration["targets"]:
        target = load(entry["jsonFile"])
        if target["type"] not in BUILT_TARGET_TYPES:
            continue
        targets[target["name"]] = {
            "sources": {s["path"] for s in target.get("sources", [])
                        if not s.get("isGenerated") and not s["path"].endswith(HEADERS)},
            "deps": {names[d["id"]] for d in target.get("dependencies", [])},
            "dir": target["paths"]["source"],
            "includes": [i["path"] for group in target.get("compileGroups", [])
                         for i in group.get("includes", [])],
        }
    return targets


def module_for_target(target, info, modules):
    for candidate in (target, "lib" + target, "libplumix_log_" + target):
        if candidate in modules:
            return candidate
    if info["dir"].split("/")[0] == "tests" and SUITE_MODULE in modules:
        return SUITE_MODULE
    return None


def check_sources(build_dir):
    modules = read_modules()
    targets = read_targets(build_dir)
    problems = []
    mapped = {}  # target -> module
    for target, info in sorted(targets.items()):
        if target in HOST_ONLY:
            continue
        module = module_for_target(target, info, modules)
        if module is None:
            problems.append(f"CMake target {target} has no Android.bp module (name it {target}, "
                            f"lib{target} or libplumix_log_{target}, or list it as host-only "
                            f"in {os.path.relpath(__file__, ROOT)})")
            continue
        mapped[target] = module

    def as_target(module):
        return next((t for t, m in mapped.items() if m == module and t in (
            module, module[3:], module[len("libplumix_log_"):])), module)

    for module, props in sorted(modules.items()):
        owners = sorted(t for t, m in mapped.items() if m == module)
        if not owners:
            problems.append(f"Android.bp module {module} ({props['kind']}) has no CMake target")
            continue
        cmake_sources = set().union(*(targets[t]["sources"] for t in owners))
        bp_sources = set(props.get("srcs", []))
        for path in sorted(bp_sources - cmake_sources):
            problems.append(f"{path} is in Android.bp module {module} but in no CMake target "
                            f"of {', '.join(owners)}")
        for path in sorted(cmake_sources - bp_sources):
            owner = next(t for t in owners if path in targets[t]["sources"])
            problems.append(f"{path} is in CMake target {owner} but not in Android.bp module "
                            f"{module}")
        bp_deps = {as_target(lib) for key in ("static_libs", "whole_static_libs", "shared_libs")
                   for lib in props.get(key, []) if lib not in PLATFORM_LIBS}
        for target in owners:
            cmake_deps = {d for d in targets[target]["deps"] if d not in HOST_ONLY}
            if cmake_deps != bp_deps:
                problems.append(f"CMake target {target} links {sorted(cmake_deps)}, Android.bp "
                                f"module {module} links {sorted(bp_deps)}")
    for problem in problems:
        print(f"FAIL: {problem}")
    if problems:
        return 1
    print(f"Android.bp and CMake agree: {len(modules)} modules, {len(mapped)} targets "
          f"({len([t for t in targets if t in HOST_ONLY])} host-only)")
    return 0


def module_flags(props):
    flags = []
    if "cpp_std" in props:
        flags.append(f"-std={props['cpp_std']}")
    return flags + props.get("cflags", []) + props.get("cppflags", [])


def module_includes(module, modules):
    """The module's directory, its own and its libraries' exported directories, as Soong has it."""
    props = modules[module]
    dirs = ["."] + props.get("local_include_dirs", []) + props.get("export_include_dirs", [])
    for key in ("static_libs", "whole_static_libs", "shared_libs", "header_libs"):
        for lib in props.get(key, []):
            if lib in modules:
                dirs += modules[lib].get("export_include_dirs", [])
    return [os.path.join(ROOT, d) for d in dirs]


def check_libcxx(build_dir):
    with tempfile.TemporaryDirectory() as bionic:
        os.makedirs(os.path.join(bionic, "sys"))
        with open(os.path.join(bionic, "sys", "system_properties.h"), "w") as f:
            f.write(BIONIC_PROPERTIES_HEADER)
        return compile_all(build_dir, ["-D__BIONIC__", "-isystem", bionic])


def compile_all(build_dir, bionic_flags):
    modules = read_modules()
    targets = read_targets(build_dir)
    base = ["clang++", "-stdlib=libc++", "-fsyntax-only", "-Werror"]
    system = [f for d in PLATFORM_INCLUDES for f in ("-isystem", d)]
    jobs = []
    for module, props in sorted(modules.items()):
        flags = module_flags(props) + [f"-I{d}" for d in module_includes(module, modules)]
        jobs += [(module, path, base + flags + system) for path in props.get("srcs", [])]
        if module == BIONIC_MODULE:
            jobs += [(f"{module} on bionic", path, base + flags + bionic_flags + system)
                     for path in props.get("srcs", [])]
    # Host-only sources get the flags that every module shares.
    shared = [f for f in module_flags(next(iter(modules.values())))
              if all(f in module_flags(props) for props in modules.values())]
    for target, info in sorted(targets.items()):
        if target in HOST_ONLY:
            includes = [f"-I{d}" for d in info["includes"] if d not in PLATFORM_INCLUDES]
            jobs += [(target, path, base + shared + includes + system)
                     for path in sorted(info["sources"])]

    def compile_one(job):
        owner, path, command = job
        run = subprocess.run(command + [os.path.join(ROOT, path)], cwd=ROOT,
                             capture_output=True, text=True)
        return owner, path, run

    failures = 0
    with concurrent.futures.ThreadPoolExecutor(int(os.environ.get("JOBS", "2"))) as pool:
        for owner, path, run in pool.map(compile_one, jobs):
            if run.returncode != 0:
                failures += 1
                print(run.stdout + run.stderr, end="")
                print(f"FAIL: {path} ({owner}) does not compile with clang and libc++")
    if failures:
        return 1
    print(f"{len(jobs)} sources compile with clang and libc++ under their device flags")
    return 0


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("sources", "libcxx"):
        sys.exit(__doc__)
    try:
        check = check_sources if sys.argv[1] == "sources" else check_libcxx
        return check(sys.argv[2])
    except BlueprintError as error:
        print(f"FAIL: {error}")
        return 1


if __name__ == "__main__":
    sys.exit(main())
