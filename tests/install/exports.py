#!/usr/bin/python3
"""Compares what the installed headers export with what the built library exports.

Usage: exports.py INCLUDE_DIR LIBRARY [--list]

The declared set comes from clang's own parse of tqcore/tqcore.h as the library's units see it (libclang), not
from reading the text: every function, member function and variable that carries the export macro, or belongs to
a class that does, less the members a caller compiles itself (defined in the class, pure, deleted). Both sides
are compared demangled, so a constructor's or destructor's several symbols count once. A DLL's headers are parsed
for Win64, with the cross compiler's library headers, so its types (wchar_t, long long) mangle as the DLL's do.
"""
import re
import subprocess
import sys

import clang.cindex as ci

K = ci.CursorKind
FUNCTIONS = {K.FUNCTION_DECL, K.CXX_METHOD, K.CONSTRUCTOR, K.DESTRUCTOR, K.CONVERSION_FUNCTION}
CLASSES = {K.CLASS_DECL, K.STRUCT_DECL}
# Scopes that hold declarations: namespaces and extern "C" blocks (which libclang 14 leaves unexposed).
SCOPES = {K.NAMESPACE, K.UNEXPOSED_DECL, K.LINKAGE_SPEC}
# What the export macro becomes for the platform the headers are parsed for.
EXPORT_ATTRS = {K.VISIBILITY_ATTR, K.DLLEXPORT_ATTR, K.DLLIMPORT_ATTR}
# Exported service entry points that a header of include/ does not declare yet. Each leaves this list when it
# moves to the installed headers; the check fails on a name that is declared and still listed.
DECLARED_INTERNALLY: set[str] = set()
WIN64_CXX = "x86_64-w64-mingw32-g++-posix"
# The global allocation operators the library replaces for the whole process (ELF only: a DLL keeps them).
REPLACED_OPERATORS = re.compile(r"^operator (new|delete)(\[\])?\(")
# Compiler-made companions of an exported polymorphic class.
CLASS_DATA = re.compile(r"^(vtable|typeinfo|typeinfo name) for (.+)$")


def has_export_macro(cursor):
    return any(c.kind in EXPORT_ATTRS for c in cursor.get_children())


def emits_no_symbol(cursor):
    """Members a user compiles inline, never from the library: defined in the class, pure, deleted or defaulted."""
    if cursor.is_pure_virtual_method() or cursor.is_default_method():
        return True
    spelled = [t.spelling for t in cursor.get_tokens()]
    if spelled[-2:] == ["=", "delete"]:
        return True
    # Inline definitions of an exported class stay hidden (visibility-inlines-hidden); an explicitly exported
    # inline function is kept on purpose.
    return cursor.is_definition() and not has_export_macro(cursor)


def target_args(library):
    """A DLL's headers are parsed for Win64 with the cross compiler's own C and C++ library headers."""
    if not library.endswith(".dll"):
        return []
    verbose = subprocess.run([WIN64_CXX, "-x", "c++", "-E", "-v", "-"], input="", check=True, capture_output=True,
                             text=True).stderr
    search = verbose.split("#include <...> search starts here:\n", 1)[1].split("End of search list.", 1)[0]
    dirs = [d.strip() for d in search.splitlines() if d.strip()]
    return ["--target=x86_64-w64-mingw32", "-nostdinc++"] + [f"-isystem{d}" for d in dirs]


def is_constant(cursor):
    """A constexpr variable is inline: every user compiles its own."""
    return "constexpr" in (t.spelling for t in cursor.get_tokens())


def declared(include_dir, library):
    index = ci.Index.create()
    args = ["-x", "c++", "-std=c++20", "-DTQCORE_BUILDING", "-I", include_dir] + target_args(library)
    tu = index.parse(include_dir + "tqcore/tqcore.h", args=args)
    errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
    if errors:
        sys.exit("export check: the headers do not parse:\n" + "\n".join(str(d) for d in errors))
    functions, classes = set(), set()

    def visit(cursor, exported_class):
        for c in cursor.get_children():
            if c.location.file is None or not c.location.file.name.startswith(include_dir):
                continue
            if c.kind in CLASSES and c.is_definition():
                exported = has_export_macro(c)
                if exported:
                    classes.add(c.type.spelling)
                visit(c, exported)
            elif c.kind in FUNCTIONS:
                if (exported_class or has_export_macro(c)) and not emits_no_symbol(c):
                    functions.add(c.mangled_name)
            elif c.kind == K.VAR_DECL and has_export_macro(c) and not is_constant(c):
                functions.add(c.mangled_name)
            elif c.kind in SCOPES:
                visit(c, False)

    visit(tu.cursor, False)
    return functions, classes


def exported(library):
    if library.endswith(".dll"):
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", library], check=True, capture_output=True,
                              text=True).stdout
        table = dump.split("[Ordinal/Name Pointer] Table", 1)[1].strip("\n").split("\n\n", 1)[0]
        return {m.group(1) for m in re.finditer(r"^\s*\[\s*\d+\]\s+(\S+)$", table, re.M)}
    dump = subprocess.run(["nm", "-D", "--defined-only", "--format=posix", library], check=True,
                          capture_output=True, text=True).stdout
    return {line.split()[0] for line in dump.splitlines() if line.strip()}


def demangle(names):
    names = sorted(names)
    out = subprocess.run(["c++filt"], input="\n".join(names), check=True, capture_output=True, text=True).stdout
    return set(out.splitlines())


def main():
    include_dir, library = sys.argv[1], sys.argv[2]
    functions, classes = declared(include_dir.rstrip("/") + "/", library)
    want = demangle(functions)
    symbols = exported(library)
    have = demangle(symbols)
    class_data = {d for d in have if (m := CLASS_DATA.match(d)) and m.group(2) in classes}
    if "--list" in sys.argv:
        print("\n".join(sorted(have)))
    operators = {d for d in have if REPLACED_OPERATORS.match(d)}
    missing, extra = sorted(want - have), sorted(have - want - class_data - DECLARED_INTERNALLY - operators)
    for name in sorted(DECLARED_INTERNALLY & want):
        print(f"export check: {name} is declared in include/ now: drop it from DECLARED_INTERNALLY", file=sys.stderr)
        extra.append(name)
    for name in sorted(DECLARED_INTERNALLY & have - want):
        print(f"export check: note: {name} is exported but declared only in an internal header")
    for name in missing:
        print(f"export check: declared for export but not exported: {name}", file=sys.stderr)
    for name in extra:
        print(f"export check: exported but not declared for export: {name}", file=sys.stderr)
    pending = DECLARED_INTERNALLY & have - want
    print(f"export check ({library.rsplit('/', 1)[-1]}): {len(symbols)} symbols, {len(have)} names: "
          f"{len(want & have)} declared functions, {len(class_data)} tables of exported classes, "
          f"{len(operators)} allocation operators, "
          f"{len(pending)} declared internally; {len(missing)} missing, {len(extra)} undeclared")
    return 1 if missing or extra else 0


if __name__ == "__main__":
    sys.exit(main())
